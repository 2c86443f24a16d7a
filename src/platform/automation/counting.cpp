#include "counting.h"

namespace tw {

namespace {

class CountingDispatch final : public Dispatch {
 public:
  CountingDispatch(DispatchPtr inner, std::shared_ptr<CallCounter> counter)
      : inner_(std::move(inner)), counter_(std::move(counter)) {}

  Variant invoke(std::string_view member, InvokeKind kind,
                 const std::vector<Variant>& args) override {
    ++counter_->calls;
    std::vector<Variant> plain;
    plain.reserve(args.size());
    for (const auto& a : args) plain.push_back(unwrap(a));
    Variant result = inner_->invoke(member, kind, plain);
    if (result.type() == Variant::Type::Ref)
      return Variant(DispatchPtr(std::make_shared<CountingDispatch>(result.ref(), counter_)));
    return result;
  }

  static Variant unwrap(const Variant& v) {
    if (v.type() != Variant::Type::Ref) return v;
    if (auto* w = dynamic_cast<CountingDispatch*>(v.ref().get())) return Variant(w->inner_);
    return v;
  }

 private:
  DispatchPtr inner_;
  std::shared_ptr<CallCounter> counter_;
};

}  // namespace

DispatchPtr countCalls(DispatchPtr inner, std::shared_ptr<CallCounter> counter) {
  if (!inner) return inner;
  return std::make_shared<CountingDispatch>(std::move(inner), std::move(counter));
}

}  // namespace tw
