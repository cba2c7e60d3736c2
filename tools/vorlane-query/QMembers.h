// QMembers: the members each query type takes, with their JSON kinds, so
// that NAME=VALUE arguments become a query without any quoting.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "json/UJson.h"

// The sixteen query types; true when Type (lower case) is one of them.
bool IsQueryType(const std::string& Type);
// True for the control commands, which are signed.
bool IsCommand(const std::string& Type);

// The query object: "query", the members in the kinds Type expects and
// "id" when given. Texts are UTF-16 already. Throws EUsage for a member
// that Type does not take or a value that is not of its kind.
TJsonPtr BuildQuery(const std::string& Type, const std::vector<std::pair<std::u16string, std::u16string>>& Members,
                    const std::u16string* Id);
