#include "search/search_parameters.h"

#include "core/numeric.h"
#include "core/text_format.h"

namespace korvel {

SearchParameters DefaultSearchParameters(SearchKind kind) {
  SearchParameters p;
  if (MethodOf(kind).secondary) p.pmax = kDefaultSecondaryPmax;
  return p;
}

std::string FieldText(double x) {
  return TrimZeros(Str(x, 0, 10));
}

}  // namespace korvel
