#pragma once
// The one error type that crosses the program: it names its kind (shown by the
// default error report together with the message), the way the original
// platform's exception classes did.
#include <stdexcept>
#include <string>
#include <utility>

namespace tw {

namespace errkind {
inline constexpr const char* kInvalidVariantOp = "EVariantInvalidOpError";
inline constexpr const char* kOle = "EOleException";
inline constexpr const char* kConvert = "EConvertError";
inline constexpr const char* kDatabase = "EFIBInterBaseError";
inline constexpr const char* kFile = "EFileError";
inline constexpr const char* kGeneral = "Exception";
}  // namespace errkind

class Error : public std::runtime_error {
 public:
  Error(std::string kind, const std::string& message)
      : std::runtime_error(message), kind_(std::move(kind)) {}
  const std::string& kind() const noexcept { return kind_; }

 private:
  std::string kind_;
};

// Kind of any exception for reports: ours carry one, others are named generically.
inline std::string errorKind(const std::exception& e) {
  if (auto* our = dynamic_cast<const Error*>(&e)) return our->kind();
  return errkind::kGeneral;
}

}  // namespace tw
