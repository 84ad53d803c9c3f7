// The product list, as the numbering window loads it, then looked up.
#include "Fuzzsupport.h"
#include "programming/Tproductlist.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size),
                          std::ios::in | std::ios::binary);
    TProductList list;
    const bool loaded = list.Load(in, "progdevicelist.csv");
    // A damaged list keeps what can be read and says so once.
    FUZZ_CHECK(loaded || !list.Warning().empty());
    // A count beyond the lines that follow reads as the lines there are.
    FUZZ_CHECK(list.Count() <= static_cast<int>(std::count(data, data + size, uint8_t('\n'))) + 1);
    for (int line = 0; line < list.Count(); ++line) {
        const int found = list.Find(list.VendorId(line), list.DeviceId(line));
        FUZZ_CHECK(found >= 0 && found <= line);
        (void)list.Product(line);
        (void)list.Manufacturer(line);
        (void)list.Description(line);
    }
    (void)list.Find(46, 2);
    return 0;
}
