#include "automation.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "strtoint.h"

namespace tw {

namespace {

[[noreturn]] void throwTypeMismatch() {
  throw Error("EVariantTypeCastError", "Could not convert variant");
}

std::string formatDouble(double d) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", d);
  return buf;
}

}  // namespace

void throwInvalidVariantOperation() {
  throw Error(errkind::kInvalidVariantOp, "Invalid variant operation");
}

Variant::Variant(DispatchPtr p) {
  if (p) v_ = std::move(p);
}

bool Variant::toBool() const {
  switch (type()) {
    case Type::Bool:
      return std::get<bool>(v_);
    case Type::Int:
      return std::get<std::int32_t>(v_) != 0;
    case Type::Double:
      return std::get<double>(v_) != 0.0;
    case Type::Empty:
      return false;
    case Type::Text: {
      const auto& s = std::get<std::string>(v_);
      if (s == "True" || s == "true") return true;
      if (s == "False" || s == "false") return false;
      return toInt() != 0;
    }
    case Type::Ref:
      return Variant(AutoRef(std::get<DispatchPtr>(v_)).get("")).toBool();
  }
  throwTypeMismatch();
}

std::int32_t Variant::toInt() const {
  switch (type()) {
    case Type::Empty:
      return 0;
    case Type::Bool:
      return std::get<bool>(v_) ? -1 : 0;
    case Type::Int:
      return std::get<std::int32_t>(v_);
    case Type::Double: {
      const double d = std::nearbyint(std::get<double>(v_));
      if (!(d >= std::numeric_limits<std::int32_t>::min() &&
            d <= std::numeric_limits<std::int32_t>::max()))
        throw Error("EVariantOverflowError", "Overflow while converting variant");
      return static_cast<std::int32_t>(d);
    }
    case Type::Text:
      if (auto v = tryStrToInt(std::get<std::string>(v_))) return *v;
      throwTypeMismatch();
    case Type::Ref:
      return AutoRef(std::get<DispatchPtr>(v_)).get("").toInt();
  }
  throwTypeMismatch();
}

double Variant::toDouble() const {
  switch (type()) {
    case Type::Empty:
      return 0.0;
    case Type::Bool:
      return std::get<bool>(v_) ? -1.0 : 0.0;
    case Type::Int:
      return std::get<std::int32_t>(v_);
    case Type::Double:
      return std::get<double>(v_);
    case Type::Text: {
      const auto& s = std::get<std::string>(v_);
      char* end = nullptr;
      const double d = std::strtod(s.c_str(), &end);
      if (s.empty() || *end != '\0') throwTypeMismatch();
      return d;
    }
    case Type::Ref:
      return AutoRef(std::get<DispatchPtr>(v_)).get("").toDouble();
  }
  throwTypeMismatch();
}

std::string Variant::toText() const {
  switch (type()) {
    case Type::Empty:
      return {};
    case Type::Bool:
      return std::get<bool>(v_) ? "True" : "False";
    case Type::Int:
      return std::to_string(std::get<std::int32_t>(v_));
    case Type::Double:
      return formatDouble(std::get<double>(v_));
    case Type::Text:
      return std::get<std::string>(v_);
    case Type::Ref:
      return AutoRef(std::get<DispatchPtr>(v_)).text();
  }
  throwTypeMismatch();
}

const DispatchPtr& Variant::ref() const {
  if (type() != Type::Ref) throwInvalidVariantOperation();
  return std::get<DispatchPtr>(v_);
}

AutoRef AutoRef::fromVariant(const Variant& v) {
  if (v.isEmpty()) return {};
  return AutoRef(v.ref());
}

Variant AutoRef::get(std::string_view member, const std::vector<Variant>& args) const {
  if (!p_) throwInvalidVariantOperation();
  return p_->invoke(member, InvokeKind::Get, args);
}

AutoRef AutoRef::getRef(std::string_view member, const std::vector<Variant>& args) const {
  return fromVariant(get(member, args));
}

Variant AutoRef::call(std::string_view member, const std::vector<Variant>& args) const {
  if (!p_) throwInvalidVariantOperation();
  return p_->invoke(member, InvokeKind::Call, args);
}

void AutoRef::put(std::string_view member, const Variant& value,
                  const std::vector<Variant>& args) const {
  if (!p_) throwInvalidVariantOperation();
  std::vector<Variant> all = args;
  all.push_back(value);
  p_->invoke(member, InvokeKind::Put, all);
}

std::string AutoRef::text() const {
  return get("").toText();
}

}  // namespace tw
