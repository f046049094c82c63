// Tokens of the xBase expression language. The lexer reads the text once,
// front to back, and never reads outside it; any byte it does not know ends
// the token stream with an Error token.
#pragma once

#include <cstddef>
#include <string_view>

namespace xbase {

struct Token {
    enum class Kind {
        End,     // the end of the text
        Error,   // an unknown byte, a lone '.', or an unterminated string
        Name,    // a field or function name: letter or '_', then letters, digits, '_'
        Number,  // digits with an optional decimal point: 25, 2.5, .5
        String,  // '...', "..." or [...]; `text` is the content without delimiters
        True,    // .T.
        False,   // .F.
        And,     // .AND.
        Or,      // .OR.
        Not,     // .NOT. or !
        LParen,
        RParen,
        Comma,
        Plus,
        Minus,
        Star,
        Slash,
        Equal,         // =
        ExactEqual,    // ==
        NotEqual,      // <> # !=
        Less,          // <
        LessEqual,     // <=
        Greater,       // >
        GreaterEqual,  // >=
        Dollar,        // $
    };
    Kind kind = Kind::End;
    std::size_t begin = 0;  // byte offset of the token in the text
    std::size_t end = 0;    // one past its last byte
    std::string_view text;  // String: the content; otherwise the token as written
};

class Lexer {
  public:
    explicit Lexer(std::string_view text) : text_(text) {}
    // The next token; End (and then End again) at the end of the text.
    Token next();

  private:
    Token make(Token::Kind kind, std::size_t begin, std::size_t end);
    Token dotWord(std::size_t begin);
    Token quoted(std::size_t begin, char close);

    std::string_view text_;
    std::size_t pos_ = 0;
};

// True when word equals upper (an upper-case ASCII word) without regard to case.
bool equalsUpperAscii(std::string_view word, std::string_view upper);

// Blank bytes between tokens: space, tab, CR and LF.
inline bool isExprBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace xbase
