#pragma once
// The late-bound automation seam: every access to the drawing goes through
// an AutoRef, which gets, calls or puts a member by name with variant
// arguments. Live Visio (COM IDispatch) and the in-process drawing
// application both implement Dispatch; nothing above this seam knows which.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "../error.h"

namespace tw {

class Dispatch;
using DispatchPtr = std::shared_ptr<Dispatch>;

// A value crossing the seam. Texts are UTF-8 on this side; the COM backend
// converts to and from BSTR.
class Variant {
 public:
  enum class Type { Empty, Bool, Int, Double, Text, Ref };

  Variant() = default;
  Variant(bool b) : v_(b) {}                      // NOLINT(google-explicit-constructor)
  Variant(std::int32_t i) : v_(i) {}              // NOLINT
  Variant(double d) : v_(d) {}                    // NOLINT
  Variant(std::string s) : v_(std::move(s)) {}    // NOLINT
  Variant(const char* s) : v_(std::string(s)) {}  // NOLINT
  Variant(DispatchPtr p);                         // NOLINT: an empty pointer gives Empty

  Type type() const { return static_cast<Type>(v_.index()); }
  bool isEmpty() const { return type() == Type::Empty; }

  // Conversions as OLE variants convert; a failed one raises EVariantError-like errors.
  bool toBool() const;
  std::int32_t toInt() const;
  double toDouble() const;
  // A reference converts through the object's default member.
  std::string toText() const;
  const DispatchPtr& ref() const;  // the object, or fails with "Invalid variant operation"

  friend bool operator==(const Variant& a, const Variant& b) { return a.v_ == b.v_; }

 private:
  std::variant<std::monostate, bool, std::int32_t, double, std::string, DispatchPtr> v_;
};

enum class InvokeKind {
  Get,   // method or property get: a member whose result is used
  Call,  // method
  Put,   // property put: the value is the last argument
};

class Dispatch {
 public:
  virtual ~Dispatch() = default;
  // The member "" is the object's default member (how a reference becomes text).
  // Failures raise Error with the application's own description.
  virtual Variant invoke(std::string_view member, InvokeKind kind,
                         const std::vector<Variant>& args) = 0;
};

// Raises the error that any call on an empty reference raises.
[[noreturn]] void throwInvalidVariantOperation();

// A counted reference to a dispatch object, or empty. Copies share the object;
// reset() releases this holder's share.
class AutoRef {
 public:
  AutoRef() = default;
  AutoRef(DispatchPtr p) : p_(std::move(p)) {}  // NOLINT(google-explicit-constructor)
  // A variant that holds a reference; Empty gives an empty reference,
  // anything else fails with "Invalid variant operation".
  static AutoRef fromVariant(const Variant& v);

  bool empty() const { return !p_; }
  void reset() { p_.reset(); }
  const DispatchPtr& ptr() const { return p_; }
  Variant asVariant() const { return Variant(p_); }

  Variant get(std::string_view member, const std::vector<Variant>& args = {}) const;
  AutoRef getRef(std::string_view member, const std::vector<Variant>& args = {}) const;
  Variant call(std::string_view member, const std::vector<Variant>& args = {}) const;
  void put(std::string_view member, const Variant& value,
           const std::vector<Variant>& args = {}) const;
  // The reference converted to text: its default member, read as text.
  std::string text() const;

 private:
  DispatchPtr p_;
};

}  // namespace tw
