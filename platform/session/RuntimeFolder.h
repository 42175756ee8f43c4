#pragma once

// Where Qt keeps what lasts only while the user is logged in. A login session
// names it (XDG_RUNTIME_DIR); a run from cron, su or a service often has
// none, and Qt then warns on every start before making one of its own. This
// makes that folder first, as Qt would (in the temporary folder, the user's
// alone), and names it, so that a headless run says nothing it need not.
// Leaves a set variable, or a folder that is not the user's alone, to Qt.
void UsePrivateRuntimeFolder();
