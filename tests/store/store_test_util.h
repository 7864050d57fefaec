// Helpers for the store tests: blog files of older versions built by hand.
#pragma once

#include <string>
#include <vector>

#include "store/database.h"
#include "store/schema.h"

namespace tessary::testing {

// A table definition without the named columns (a file written before they existed).
inline store::TableDef without(const store::TableDef& def, const std::vector<std::string>& drop) {
  store::TableDef d = def;
  d.fields.clear();
  for (const auto& f : def.fields) {
    bool keep = true;
    for (const auto& n : drop) keep = keep && n != f.name;
    if (keep) d.fields.push_back(f);
  }
  return d;
}

}  // namespace tessary::testing
