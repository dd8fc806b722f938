#include "batch/json_output.h"

#include <ostream>

namespace korvel::batch {

void PrintJsonWithArray(std::ostream& out, const nlohmann::ordered_json& rest,
                        const std::string& key, int64_t count,
                        const std::function<nlohmann::ordered_json(int64_t)>& item) {
  std::string head = rest.is_object() ? rest.dump() : std::string("{}");
  head.pop_back();  // the closing brace
  out << head << (head.size() > 1 ? "," : "") << nlohmann::ordered_json(key).dump() << ":[";
  for (int64_t k = 0; k < count; ++k) out << (k > 0 ? "," : "") << item(k).dump();
  out << "]}\n";
}

}  // namespace korvel::batch
