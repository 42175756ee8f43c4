// libFuzzer target: any bytes opened as a tab-separated table file.
#include "fuzz_table_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    OpenFuzzedTable(data, size, TableLayout::Text);
    return 0;
}
