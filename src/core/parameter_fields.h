// The rule every parameter dialog follows, field by field in its order:
// the text converts, the value is stored in its state field at once, and is
// then checked; the first failure ends the reading with that field's
// message and index (the dialog puts the focus there). A value that did
// not convert (or is not finite) is not stored. The dialogs' own rules
// (SearchParameters, WaveParameters, LightCurveElements) are built on it,
// so the window and korvel-batch read parameters alike.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

namespace korvel {

struct FieldRefusal {
  std::string message;
  int field = 0;  // index of the field in the dialog's order
};

class FieldRules {
 public:
  // Stores a converted value; refuses a value that did not convert, is not
  // finite, or (when it must be) is not positive.
  bool Real(int field, std::optional<double> value, double& target, bool mustBePositive,
            const char* message) {
    if (!value || !std::isfinite(*value)) return Fail(field, message);
    target = *value;
    return mustBePositive && !(*value > 0) ? Fail(field, message) : true;
  }

  // Stores a converted whole number; refuses one that did not convert or is
  // not above the limit.
  bool Int(int field, std::optional<int32_t> value, int32_t& target, int32_t above,
           const char* message) {
    if (!value) return Fail(field, message);
    target = *value;
    return *value > above ? true : Fail(field, message);
  }

  bool Check(bool ok, int field, const char* message) { return ok ? true : Fail(field, message); }

  const std::optional<FieldRefusal>& refusal() const { return refusal_; }

 private:
  bool Fail(int field, const char* message) {
    refusal_ = FieldRefusal{message, field};
    return false;
  }

  std::optional<FieldRefusal> refusal_;
};

}  // namespace korvel
