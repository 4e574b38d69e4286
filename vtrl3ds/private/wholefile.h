// Writing a whole file so that it never exists half written. Private to the model library;
// failure raises EFileError with the system's error number.
#pragma once

#include <string>

namespace vtrl3ds_internal {

// Writes Bytes to FileName through a temporary name in its folder, renamed over FileName once
// complete; a failed write leaves neither a partial file nor the temporary one. Routine names the
// caller in the message.
void writeWholeFile(const std::string& FileName, const std::string& Bytes, const char* Routine);

}  // namespace vtrl3ds_internal
