#pragma once

#include <stdexcept>
#include <string>

// An error whose message is built at run time (it names a file, a patch, a count).
// The fixed messages of the model ("Year does not exist", ...) are thrown as the
// text itself instead; the driver reports both the same way.
class TundrelError : public std::runtime_error {
 public:
  explicit TundrelError(const std::string& message) : std::runtime_error(message) {}
};
