#pragma once
// The little JSON brindle-cli writes for scripts: strings escaped as JSON
// requires, so that any device path or printer message stays one value.
#include <string>
#include <string_view>

namespace brindle::cli {

// `text` as a JSON string, quotes included.
std::string JsonString(std::string_view text);

}  // namespace brindle::cli
