#include "result_record.h"

ResultRecord TheResultRecord;  // zero-filled as a static object
int32_t& OptionSet = TheResultRecord.options;
