// The expression lexer: turns the text into tokens on demand.
#include "xbase/expr_lexer.h"

namespace xbase {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool isNameChar(char c) {
    return isNameStart(c) || isDigit(c);
}

}  // namespace

bool equalsUpperAscii(std::string_view word, std::string_view upper) {
    if (word.size() != upper.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c =
            word[i] >= 'a' && word[i] <= 'z' ? static_cast<char>(word[i] - 0x20) : word[i];
        if (c != upper[i]) return false;
    }
    return true;
}

Token Lexer::make(Token::Kind kind, std::size_t begin, std::size_t end) {
    pos_ = end;
    return Token{kind, begin, end, text_.substr(begin, end - begin)};
}

Token Lexer::next() {
    while (pos_ < text_.size() && isExprBlank(text_[pos_]))
        ++pos_;
    const std::size_t b = pos_;
    if (b >= text_.size()) return Token{Token::Kind::End, b, b, {}};
    const char c = text_[b];
    const char c2 = b + 1 < text_.size() ? text_[b + 1] : '\0';
    using K = Token::Kind;
    if (isNameStart(c)) {
        std::size_t e = b + 1;
        while (e < text_.size() && isNameChar(text_[e]))
            ++e;
        return make(K::Name, b, e);
    }
    if (isDigit(c) || (c == '.' && isDigit(c2))) {
        std::size_t e = b;
        while (e < text_.size() && isDigit(text_[e]))
            ++e;
        // A point followed by a letter starts .AND. or the like: 1.AND.x is 1 .AND. x.
        const bool dotWordNext = e + 1 < text_.size() && isNameStart(text_[e + 1]);
        if (e < text_.size() && text_[e] == '.' && !dotWordNext) {
            ++e;
            while (e < text_.size() && isDigit(text_[e]))
                ++e;
        }
        return make(K::Number, b, e);
    }
    switch (c) {
        case '.':
            return dotWord(b);
        case '\'':
            return quoted(b, '\'');
        case '"':
            return quoted(b, '"');
        case '[':
            return quoted(b, ']');
        case '(':
            return make(K::LParen, b, b + 1);
        case ')':
            return make(K::RParen, b, b + 1);
        case ',':
            return make(K::Comma, b, b + 1);
        case '+':
            return make(K::Plus, b, b + 1);
        case '-':
            return make(K::Minus, b, b + 1);
        case '*':
            return make(K::Star, b, b + 1);
        case '/':
            return make(K::Slash, b, b + 1);
        case '$':
            return make(K::Dollar, b, b + 1);
        case '#':
            return make(K::NotEqual, b, b + 1);
        case '=':
            return c2 == '=' ? make(K::ExactEqual, b, b + 2) : make(K::Equal, b, b + 1);
        case '!':
            return c2 == '=' ? make(K::NotEqual, b, b + 2) : make(K::Not, b, b + 1);
        case '<':
            if (c2 == '>') return make(K::NotEqual, b, b + 2);
            return c2 == '=' ? make(K::LessEqual, b, b + 2) : make(K::Less, b, b + 1);
        case '>':
            return c2 == '=' ? make(K::GreaterEqual, b, b + 2) : make(K::Greater, b, b + 1);
        default:
            return make(K::Error, b, b + 1);
    }
}

// .T. .F. .AND. .OR. .NOT., any case.
Token Lexer::dotWord(std::size_t begin) {
    std::size_t e = begin + 1;
    while (e < text_.size() && isNameStart(text_[e]))
        ++e;
    if (e >= text_.size() || text_[e] != '.') return make(Token::Kind::Error, begin, begin + 1);
    const std::string_view word = text_.substr(begin + 1, e - begin - 1);
    struct Entry {
        std::string_view word;
        Token::Kind kind;
    };
    static constexpr Entry kWords[] = {{"T", Token::Kind::True},
                                       {"F", Token::Kind::False},
                                       {"AND", Token::Kind::And},
                                       {"OR", Token::Kind::Or},
                                       {"NOT", Token::Kind::Not}};
    for (const Entry& entry : kWords)
        if (equalsUpperAscii(word, entry.word)) return make(entry.kind, begin, e + 1);
    return make(Token::Kind::Error, begin, begin + 1);
}

Token Lexer::quoted(std::size_t begin, char close) {
    const std::size_t closeAt = text_.find(close, begin + 1);
    if (closeAt == std::string_view::npos) return make(Token::Kind::Error, begin, text_.size());
    Token token = make(Token::Kind::String, begin, closeAt + 1);
    token.text = text_.substr(begin + 1, closeAt - begin - 1);
    return token;
}

}  // namespace xbase
