#pragma once

// Decides whether the current reading becomes a row of the reading table and a
// chart point. The table and the policy's rules come with recording; until
// then a reading offered here is not recorded.
class RecordPolicy
{
public:
    void INDataToTable(int) {}
};
