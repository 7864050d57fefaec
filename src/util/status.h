// The value of an expected failure: ok, or a message that names what failed and
// where ("Cannot open blog file demo.zdb: not a blog file").
#pragma once

#include <string>
#include <utility>

namespace tessary {

class Status {
 public:
  Status() = default;
  static Status OK() { return Status(); }
  static Status Error(std::string message) { return Status(std::move(message)); }

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const std::string& message() const { return message_; }

 private:
  explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}
  bool failed_ = false;
  std::string message_;
};

}  // namespace tessary
