// The rule table compiled into the native build from the same file that the
// Windows build embeds as a resource.
#include "rule_table.h"

#include <cstddef>

extern const unsigned char rule_table_bytes[];
extern const size_t rule_table_bytes_size;

std::string_view RuleTableText() {
    return std::string_view(reinterpret_cast<const char*>(rule_table_bytes), rule_table_bytes_size);
}
