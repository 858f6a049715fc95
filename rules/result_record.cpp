#include "result_record.h"

#include <cstring>

ResultRecord TheResultRecord;  // zero-filled as a static object
int32_t& OptionSet = TheResultRecord.options;

void WriteTextField(char* field, size_t size, std::string_view text) {
    size_t length = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}
