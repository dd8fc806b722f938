// Between a parameter dialog's texts and its rules: each field's text
// converted (nothing when it does not convert), and a refusal shown as the
// dialog shows it: the message, then the focus in the refused field.
#pragma once

#include <optional>
#include <span>

#include "app/app_context.h"
#include "core/parameter_fields.h"
#include "io/text_reader.h"

namespace korvel {

inline std::optional<double> RealOf(AppContext& a, Control field) {
  double value = 0;
  if (!TextToReal(a.p.Text(field), value)) return std::nullopt;
  return value;
}

inline std::optional<int32_t> IntOf(AppContext& a, Control field) {
  int32_t value = 0;
  if (!TextToInt(a.p.Text(field), value)) return std::nullopt;
  return value;
}

// fields: the dialog's controls in the order of its rules' field indexes.
// True when there is nothing to refuse.
inline bool AcceptFields(AppContext& a, const std::optional<FieldRefusal>& refusal,
                         std::span<const Control> fields) {
  if (!refusal) return true;
  a.p.ShowMessage(refusal->message);
  if (refusal->field >= 0 && static_cast<size_t>(refusal->field) < fields.size())
    a.p.Focus(fields[refusal->field]);
  return false;
}

}  // namespace korvel
