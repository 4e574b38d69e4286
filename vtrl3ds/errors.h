// The model library's errors: one base class and the kinds its loaders raise (text that does not
// convert, a value outside its range, an index past the end of a list, a stream that cannot be
// opened, read or written or ends early, a file of no kind it reads). Each message names the routine, the
// fact and where (file offset or line).
#pragma once

#include <stdexcept>
#include <string>

// Every error the model library raises.
class EModelError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Text that does not convert to the number it should hold.
class EConvertError : public EModelError {
  public:
    using EModelError::EModelError;
};

// A count, index or value outside what it may be (also a count larger than the data holding it).
class ERangeError : public EModelError {
  public:
    using EModelError::EModelError;
};

// An index past the end of a list (a block running past the last line of a text file).
class EIndexError : public EModelError {
  public:
    using EModelError::EModelError;
};

// A file that cannot be opened, or data that ends before what it declares.
class EStreamError : public EModelError {
  public:
    using EModelError::EModelError;
};

// A file that cannot be opened, read or written: FErrorCode holds the system's error number.
class EFileError : public EStreamError {
  public:
    EFileError(const std::string& Message, int ErrorCode) : EStreamError(Message), FErrorCode(ErrorCode) {}
    int FErrorCode;  // errno of the failed call
};

// A file no loader reads (its name's extension), or one in which the loader recognised nothing.
class EFileTypeError : public EModelError {
  public:
    using EModelError::EModelError;
};
