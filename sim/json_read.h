// Reading the simulator's JSON documents (scenarios, state files, timeline actions) with a place
// and a reason for everything it refuses.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string>

namespace swkv::sim {

using Json = nlohmann::json;

// Why a document was refused: where (a JSON pointer such as /controllers/0/disks/2/sectors, or
// "line 3, column 7" for text that is not JSON) and what is wrong there.
struct DocumentError {
  std::string place;
  std::string reason;
};

[[noreturn]] void Refuse(const std::string& place, const std::string& reason);

// Parses JSON text; refuses text that is not JSON with its line and column.
Json ParseDocument(const std::string& text);

std::string Place(const std::string& parent, const std::string& key);
std::string Place(const std::string& parent, std::size_t index);

// Refuses a value that is not an object, or an object with a field not among keys: a misspelt
// field would otherwise be silently ignored.
void ExpectObject(const Json& value, const std::string& place,
                  std::initializer_list<const char*> keys);
const Json& ExpectArray(const Json& object, const char* key, const std::string& place);
// The field, or null when absent.
const Json* Field(const Json& object, const char* key);

// An integer within [low, high]; also written as a "0x..." text.
int64_t ReadInteger(const Json& value, const std::string& place, int64_t low, int64_t high);
int64_t ReadInteger(const Json& object, const char* key, const std::string& place, int64_t low,
                    int64_t high, int64_t fallback);
// A number of seconds (fractions allowed) as milliseconds, within [0, high seconds].
int64_t ReadSeconds(const Json& value, const std::string& place, int64_t high);
bool ReadBool(const Json& object, const char* key, const std::string& place, bool fallback);
// A text, as the library's single-byte characters: the JSON text's characters up to U+00FF
// become one byte each (ISO 8859-1), so that any byte a name holds survives a state file.
std::string ReadText(const Json& value, const std::string& place, std::size_t maxLength);
// The other way: the library's bytes as JSON (UTF-8) text.
std::string TextToJson(const std::string& bytes);
// One of names (its index), or an integer code in [low, high] when low <= high.
int64_t ReadName(const Json& value, const std::string& place,
                 std::initializer_list<const char*> names, int64_t low, int64_t high);

}  // namespace swkv::sim
