// The few error types the core throws; the UI and the CLI catch them at their edge and show
// the message, which always says what went wrong and where.
#pragma once

#include <stdexcept>
#include <string>

namespace examora {

/// Base of every error the core reports; the message is complete and ready to show.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// A file or folder could not be read or written.
class FileError : public Error {
 public:
  using Error::Error;
};

/// Input whose content is not what it should be (a damaged file, a malformed line).
class FormatError : public Error {
 public:
  using Error::Error;
};

}  // namespace examora
