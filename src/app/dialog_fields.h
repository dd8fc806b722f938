// Reading the fields of a parameter dialog: each text converts, is stored in
// its state value at once, and is then checked; the first failure shows its
// message and puts the focus into its field.
#pragma once

#include "app/app_context.h"
#include "io/text_reader.h"

namespace korvel {

// One field of a dialog: converts, stores at once, then checks. Reports the
// message and focuses the field on failure.
class FieldReader {
 public:
  explicit FieldReader(AppContext& a) : a_(a) {}

  bool Real(Control field, double& target, bool mustBePositive, const char* message) {
    double value = 0;
    if (!TextToReal(a_.p.Text(field), value)) return Fail(field, message);
    target = value;
    if (mustBePositive && !(value > 0)) return Fail(field, message);
    return true;
  }

  bool Int(Control field, int32_t& target, int32_t above, const char* message) {
    int32_t value = 0;
    if (!TextToInt(a_.p.Text(field), value)) return Fail(field, message);
    target = value;
    if (!(value > above)) return Fail(field, message);
    return true;
  }

  bool Check(bool ok, Control focus, const char* message) {
    return ok ? true : Fail(focus, message);
  }

 private:
  bool Fail(Control field, const char* message) {
    a_.p.ShowMessage(message);
    a_.p.Focus(field);
    return false;
  }

  AppContext& a_;
};

}  // namespace korvel
