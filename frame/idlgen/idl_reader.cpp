#include "frame/idlgen/idl_reader.h"

#include <cctype>

namespace swkv::idlgen {

namespace {

bool IsWordStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

bool IdlReader::Fail(std::string message) {
  if (m_error.empty()) m_error = "line " + std::to_string(m_line) + ": " + std::move(message);
  return false;
}

IdlReader::Token IdlReader::Next() {
  if (m_peeked) {
    m_peeked = false;
    return std::move(m_peek);
  }
  // White space, comments and preprocessor lines.
  for (;;) {
    while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos]))) {
      if (m_text[m_pos] == '\n') ++m_line;
      ++m_pos;
    }
    std::string_view rest = m_text.substr(m_pos);
    if (rest.starts_with("//") || rest.starts_with("#")) {
      while (m_pos < m_text.size() && m_text[m_pos] != '\n') ++m_pos;
    } else if (rest.starts_with("/*")) {
      std::size_t end = m_text.find("*/", m_pos + 2);
      end = end == std::string_view::npos ? m_text.size() : end + 2;
      for (; m_pos < end; ++m_pos)
        if (m_text[m_pos] == '\n') ++m_line;
    } else {
      break;
    }
  }
  Token token;
  if (m_pos >= m_text.size()) return token;
  const char c = m_text[m_pos];
  if (IsWordStart(c)) {
    token.kind = Token::kWord;
    while (m_pos < m_text.size() && IsWordChar(m_text[m_pos]))
      token.text.push_back(m_text[m_pos++]);
  } else if (std::isdigit(static_cast<unsigned char>(c))) {
    token.kind = Token::kNumber;
    while (m_pos < m_text.size() &&
           (std::isalnum(static_cast<unsigned char>(m_text[m_pos])) || m_text[m_pos] == '.'))
      token.text.push_back(m_text[m_pos++]);
  } else if (c == '"') {
    token.kind = Token::kString;
    for (++m_pos; m_pos < m_text.size() && m_text[m_pos] != '"'; ++m_pos) {
      if (m_text[m_pos] == '\\' && m_pos + 1 < m_text.size()) ++m_pos;
      token.text.push_back(m_text[m_pos]);
    }
    ++m_pos;
  } else {
    token.kind = Token::kPunct;
    token.text = std::string(1, c);
    ++m_pos;
  }
  return token;
}

const IdlReader::Token& IdlReader::Peek() {
  if (!m_peeked) {
    m_peek = Next();
    m_peeked = true;
  }
  return m_peek;
}

bool IdlReader::Expect(std::string_view text) {
  Token token = Next();
  if (token.text != text || token.kind == Token::kString)
    return Fail("expected '" + std::string(text) + "', found '" + token.text + "'");
  return true;
}

bool IdlReader::ExpectWord(std::string& word) {
  Token token = Next();
  if (token.kind != Token::kWord) return Fail("expected a name, found '" + token.text + "'");
  word = std::move(token.text);
  return true;
}

bool IdlReader::ReadAttributes(Attributes& attributes) {
  // Called after '['. An argument is kept as written, a quoted one without its quotes.
  for (;;) {
    std::string name;
    if (!ExpectWord(name)) return false;
    std::string argument;
    std::size_t at = m_pos;
    while (at < m_text.size() && (m_text[at] == ' ' || m_text[at] == '\t')) ++at;
    if (!m_peeked && at < m_text.size() && m_text[at] == '(') {
      int depth = 0;
      bool quoted = false;
      std::size_t start = at + 1;
      for (m_pos = at; m_pos < m_text.size(); ++m_pos) {
        char c = m_text[m_pos];
        if (c == '\n') ++m_line;
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '(') ++depth;
        if (c == ')' && --depth == 0) break;
      }
      if (m_pos >= m_text.size()) return Fail("unterminated attribute " + name);
      argument = Trim(m_text.substr(start, m_pos - start));
      ++m_pos;
      if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"')
        argument = argument.substr(1, argument.size() - 2);
    }
    attributes[name] = argument;
    Token token = Next();
    if (token.text == "]") return true;
    if (token.text != ",")
      return Fail("expected ',' or ']' in attributes, found '" + token.text + "'");
  }
}

bool IdlReader::Read(Library& library, std::string& error) {
  bool found = false;
  for (;;) {
    Token token = Next();
    if (token.kind == Token::kEnd) break;
    Attributes attributes;
    if (token.text == "import") {
      if (Next().kind != Token::kString || !Expect(";")) {
        Fail("expected import \"file\";");
        break;
      }
      continue;
    }
    if (token.text == "[") {
      if (!ReadAttributes(attributes)) break;
      token = Next();
    }
    if (token.text != "library" || found) {
      Fail("expected one library, found '" + token.text + "'");
      break;
    }
    library.attributes = std::move(attributes);
    if (!ReadLibrary(library)) break;
    found = true;
  }
  if (m_error.empty() && !found) Fail("no library");
  error = m_error;
  return m_error.empty();
}

bool IdlReader::ReadLibrary(Library& library) {
  if (!ExpectWord(library.name) || !Expect("{")) return false;
  for (;;) {
    Token token = Next();
    if (token.text == "}") break;
    if (token.text == "importlib") {
      if (!Expect("(") || Next().kind != Token::kString || !Expect(")") || !Expect(";"))
        return Fail("expected importlib(\"file\");");
      continue;
    }
    Attributes attributes;
    if (token.text == "[") {
      if (!ReadAttributes(attributes)) return false;
      token = Next();
    }
    if (token.text == "interface") {
      if (!ReadInterface(std::move(attributes), library)) return false;
    } else if (token.text == "coclass") {
      if (!ReadCoClass(std::move(attributes), library)) return false;
    } else {
      return Fail("unexpected '" + token.text + "' in library");
    }
  }
  if (Peek().text == ";") Next();
  return true;
}

bool IdlReader::ReadInterface(Attributes attributes, Library& library) {
  Interface iface;
  iface.attributes = std::move(attributes);
  if (!ExpectWord(iface.name)) return false;
  if (Peek().text == ";") {  // a reference to an interface defined elsewhere
    Next();
    return true;
  }
  if (!Expect(":") || !ExpectWord(iface.base) || !Expect("{")) return false;
  while (Peek().text != "}") {
    if (Peek().kind == Token::kEnd) return Fail("unterminated interface " + iface.name);
    Method method;
    if (!ReadMethod(method)) return false;
    iface.methods.push_back(std::move(method));
  }
  Next();
  if (Peek().text == ";") Next();
  library.items.push_back({false, library.interfaces.size()});
  library.interfaces.push_back(std::move(iface));
  return true;
}

bool IdlReader::ReadCoClass(Attributes attributes, Library& library) {
  CoClass coclass;
  coclass.attributes = std::move(attributes);
  if (!ExpectWord(coclass.name) || !Expect("{")) return false;
  for (;;) {
    Token token = Next();
    if (token.text == "}") break;
    Attributes implAttributes;
    if (token.text == "[") {
      if (!ReadAttributes(implAttributes)) return false;
      token = Next();
    }
    std::string name;
    if (token.text != "interface" || !ExpectWord(name) || !Expect(";"))
      return Fail("expected [attributes] interface name; in coclass " + coclass.name);
    coclass.interfaces.emplace_back(std::move(implAttributes), std::move(name));
  }
  if (Peek().text == ";") Next();
  library.items.push_back({true, library.classes.size()});
  library.classes.push_back(std::move(coclass));
  return true;
}

bool IdlReader::ReadType(std::string& type) {
  std::string word;
  if (!ExpectWord(word)) return false;
  type = word;
  if (word == "unsigned" || word == "signed") {
    if (!ExpectWord(word)) return false;
    type += " " + word;
  }
  while (Peek().text == "*") {
    Next();
    type += "*";
  }
  return true;
}

bool IdlReader::ReadMethod(Method& method) {
  if (Peek().text == "[") {
    Next();
    if (!ReadAttributes(method.attributes)) return false;
  }
  if (!ReadType(method.returnType) || !ExpectWord(method.name) || !Expect("(")) return false;
  if (Peek().text == "void") Next();
  while (Peek().text != ")") {
    Param param;
    if (Peek().text == "[") {
      Next();
      if (!ReadAttributes(param.attributes)) return false;
    }
    if (!ReadType(param.type) || !ExpectWord(param.name)) return false;
    method.params.push_back(std::move(param));
    if (Peek().text == ",")
      Next();
    else if (Peek().text != ")")
      return Fail("expected ',' or ')' after parameter " + method.params.back().name);
  }
  Next();
  return Expect(";");
}

}  // namespace swkv::idlgen
