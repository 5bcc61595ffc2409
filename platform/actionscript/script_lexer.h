// Tokens of ActionScript 1.0 source for the clip-action compiler.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A compile error: a short message for the user and the source line (from 1) it belongs to.
struct ScriptError {
    std::string message;
    int line = 1;
};

enum class TokenKind { End, Name, Number, String, Punct };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;       // name, punctuation, or the decoded string value
    double number = 0.0;
    int line = 1;
    bool newlineBefore = false;  // a line break separates it from the previous token
};

// Splits UTF-8 source into tokens, ending with one End token. Throws ScriptError on text that is
// no valid token (bad bytes, unterminated strings and comments, malformed numbers).
std::vector<Token> TokenizeScript(std::string_view source);

}  // namespace platform
