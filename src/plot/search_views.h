// What a view letter shows for the searches of the method table. A search's
// letter shows its spectrum while no light curve is ready; once a period is
// picked from it, the light curve that period gives: the phase curve for a
// search of the primary period, the curves of the secondary period's phase
// bins for the secondary search. Asking the table here, rather than spelling
// the letters out, lets a new row's view grow, stop, zoom and fold like the
// others.
#pragma once

#include "search/search_methods.h"

namespace korvel {

inline bool IsSpectrumView(char view) {
  return MethodOfView(view) != nullptr;
}

inline bool IsPhaseCurveView(char view) {
  const SearchMethod* m = MethodOfView(view);
  return m && !m->secondary;
}

inline bool IsBinsView(char view) {
  const SearchMethod* m = MethodOfView(view);
  return m && m->secondary;
}

}  // namespace korvel
