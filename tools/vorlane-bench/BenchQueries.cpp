#include "BenchQueries.h"

#include <stdexcept>

namespace {

// Points 1.1.1 to 1.1.9 in turn: the shortest address texts, so that 1000
// of them fit into one query.
std::string InstantQuery() {
  std::string Query = "{\"query\":\"instant\",\"ts\":[";
  for (int Index = 0; Index < 1000; ++Index) {
    if (Index > 0) Query += ',';
    Query += "\"1.1." + std::to_string(Index % 9 + 1) + "\"";
  }
  return Query + "]}";
}

}  // namespace

std::string DemoQuery(const std::string& Name) {
  if (Name == "test") return "{\"query\":\"test\"}";
  if (Name == "instant") return InstantQuery();
  // 16 h 39 min in steps of a minute: 1000 samples.
  if (Name == "retro")
    return "{\"query\":\"retro\",\"start\":\"01.01.2020 00:00\",\"end\":\"01.01.2020 16:39\",\"step\":60,"
           "\"ti\":[\"1.1.1\",\"1.1.2\",\"1.1.3\",\"1.1.4\",\"1.1.5\"]}";
  if (Name == "tms-ts") return "{\"query\":\"tms-ts\",\"ch\":2,\"rtu\":1}";
  throw std::invalid_argument(Name);
}
