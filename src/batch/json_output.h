// JSON objects with one array of any length: the array is written item by
// item instead of being held, so that its size costs no memory (a JSON tree
// of millions of values takes gigabytes, and freeing it allocates again).
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

namespace korvel::batch {

// Prints the members of rest, then "key": [item(0), ..., item(count - 1)],
// as one object on one line.
void PrintJsonWithArray(std::ostream& out, const nlohmann::ordered_json& rest,
                        const std::string& key, int64_t count,
                        const std::function<nlohmann::ordered_json(int64_t)>& item);

}  // namespace korvel::batch
