// Parser of the catalogue's text form and lookups over the parsed structures.
//
// The text is line based. "module NAME" starts a definition block; a structure
// line ("application", "window" or "report" LABEL "title" attributes...)
// opens a structure, and each further line declares one control of the type
// its first word names, followed by its text (a quoted string) and attributes.
// Containers (menubar, menu, sheet, tab, report bands and the structure
// itself) close with "end". Lines starting with "#" are comments.

#include "ui/catalogue.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace linkar::ui {
namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Splits one line into bare words and quoted strings ("\"" and "\\" escape).
bool tokenize(std::string_view line, std::vector<Token>* tokens, std::string* error) {
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') { ++i; continue; }
    Token token;
    if (c == '"') {
      token.quoted = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char d = line[i++];
        if (d == '\\' && i < line.size()) { token.text += line[i++]; continue; }
        if (d == '"') { closed = true; break; }
        token.text += d;
      }
      if (!closed) { *error = "unterminated string"; return false; }
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
        token.text += line[i++];
    }
    tokens->push_back(std::move(token));
  }
  return true;
}

std::optional<ControlType> controlTypeOf(std::string_view word) {
  static const std::pair<std::string_view, ControlType> kWords[] = {
      {"menu", ControlType::Menu},       {"item", ControlType::Item},
      {"separator", ControlType::Separator}, {"button", ControlType::Button},
      {"prompt", ControlType::Prompt},   {"entry", ControlType::Entry},
      {"string", ControlType::String},   {"text", ControlType::Text},
      {"spin", ControlType::Spin},       {"list", ControlType::List},
      {"sheet", ControlType::Sheet},     {"tab", ControlType::Tab},
      {"progress", ControlType::Progress}, {"image", ControlType::Image},
      {"box", ControlType::Box},         {"region", ControlType::Region},
      {"header", ControlType::Header},   {"detail", ControlType::Detail},
      {"footer", ControlType::Footer},   {"form", ControlType::Form},
  };
  for (const auto& [name, type] : kWords)
    if (name == word) return type;
  return std::nullopt;
}

bool isContainer(ControlType type) {
  switch (type) {
    case ControlType::Menu: case ControlType::Sheet: case ControlType::Tab:
    case ControlType::Header: case ControlType::Detail: case ControlType::Footer:
    case ControlType::Form:
      return true;
    default:
      return false;
  }
}

bool isMenuType(ControlType type) {
  return type == ControlType::Menu || type == ControlType::Item || type == ControlType::Separator;
}

class LineParser {
 public:
  LineParser(const std::vector<Token>& tokens, size_t start) : m_tokens(tokens), m_pos(start) {}

  bool done() const { return m_pos >= m_tokens.size(); }
  const Token& next() { return m_tokens[m_pos++]; }
  bool peekQuoted() const { return !done() && m_tokens[m_pos].quoted; }

  bool number(int* out) {
    if (done()) return false;
    const std::string& s = m_tokens[m_pos].text;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), *out);
    if (ec != std::errc() || end != s.data() + s.size()) return false;
    ++m_pos;
    return true;
  }
  bool peekNumber() const {
    if (done() || m_tokens[m_pos].quoted) return false;
    const std::string& s = m_tokens[m_pos].text;
    int value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size();
  }
  bool word(std::string* out) {
    if (done()) return false;
    *out = m_tokens[m_pos++].text;
    return true;
  }

 private:
  const std::vector<Token>& m_tokens;
  size_t m_pos;
};

bool readRect(LineParser& in, Rect* rect, std::string* error) {
  if (!in.number(&rect->x) || !in.number(&rect->y)) {
    *error = "'at' needs x and y";
    return false;
  }
  if (in.peekNumber()) {
    if (!in.number(&rect->width) || !in.number(&rect->height)) {
      *error = "'at' needs width and height together";
      return false;
    }
  }
  return true;
}

bool readControlAttributes(LineParser& in, ControlDecl* c, std::string* error) {
  if (in.peekQuoted()) c->text = in.next().text;
  while (!in.done()) {
    std::string key = in.next().text;
    if (key == "at") {
      Rect r;
      if (!readRect(in, &r, error)) return false;
      c->at = r;
    } else if (key == "use") {
      if (!in.word(&c->use)) { *error = "'use' needs a name"; return false; }
    } else if (key == "msg") {
      if (!in.word(&c->status)) { *error = "'msg' needs a text"; return false; }
    } else if (key == "pic") {
      if (!in.word(&c->picture)) { *error = "'pic' needs a picture"; return false; }
    } else if (key == "std") {
      if (!in.word(&c->action)) { *error = "'std' needs an action"; return false; }
    } else if (key == "size") {
      if (!in.number(&c->length) || c->length <= 0) { *error = "bad 'size'"; return false; }
    } else if (key == "format") {
      std::string text, why;
      if (!in.word(&text)) { *error = "'format' needs a text"; return false; }
      c->format = parseListFormat(text, &why);
      if (!c->format) { *error = "list format: " + why; return false; }
    } else if (key == "disabled") {
      c->disabled = true;
    } else if (key == "hidden") {
      c->hidden = true;
    } else if (key == "default") {
      c->isDefault = true;
    } else if (key == "immediate") {
      c->immediate = true;
    } else {
      *error = "unknown attribute '" + key + "'";
      return false;
    }
  }
  return true;
}

bool readStructureAttributes(LineParser& in, Structure* s, std::string* error) {
  if (in.peekQuoted()) s->title = in.next().text;
  while (!in.done()) {
    std::string key = in.next().text;
    if (key == "at") {
      if (!readRect(in, &s->at, error)) return false;
    } else if (key == "font") {
      if (!in.word(&s->fontFace) || !in.number(&s->fontSize)) {
        *error = "'font' needs a face and a size";
        return false;
      }
    } else if (key == "bold") {
      s->fontBold = true;
    } else if (key == "icon") {
      if (!in.word(&s->icon)) { *error = "'icon' needs a name"; return false; }
    } else if (key == "timer") {
      if (!in.number(&s->timer) || s->timer < 0) { *error = "bad 'timer'"; return false; }
    } else if (key == "mdi") {
      s->mdi = true;
    } else if (key == "resize") {
      s->resizable = true;
    } else if (key == "status") {
      s->statusBar = true;
      int width = 0;
      while (in.peekNumber() && in.number(&width)) s->statusZones.push_back(width);
    } else {
      *error = "unknown attribute '" + key + "'";
      return false;
    }
  }
  return true;
}

}  // namespace

std::string_view controlTypeName(ControlType type) {
  static constexpr std::string_view kNames[] = {
      "menu", "item", "separator", "button", "prompt", "entry", "string", "text", "spin",
      "list", "sheet", "tab", "progress", "image", "box", "region",
      "header", "detail", "footer", "form"};
  return kNames[static_cast<size_t>(type)];
}

const ControlDecl* Structure::byField(int field) const {
  for (const auto& c : controls)
    if (c.field == field) return &c;
  return nullptr;
}

const ControlDecl* Structure::byUse(std::string_view use) const {
  std::string wanted = upper(use);
  for (const auto& c : controls)
    if (!c.use.empty() && upper(c.use) == wanted) return &c;
  return nullptr;
}

const ControlDecl* Structure::byText(std::string_view text, std::optional<ControlType> type) const {
  for (const auto& c : controls)
    if (c.text == text && (!type || c.type == *type)) return &c;
  return nullptr;
}

std::optional<Catalogue> Catalogue::parse(std::string_view text, std::string* error) {
  Catalogue catalogue;
  std::string module;
  Structure* current = nullptr;
  std::vector<int> open;     // open containers, as indexes into current->controls
  bool inMenuBar = false;
  int nextField = 1, nextMenuField = -1;
  int lineNo = 0;
  auto failAt = [&](const std::string& reason) {
    if (error) *error = "line " + std::to_string(lineNo) + ": " + reason;
    return std::nullopt;
  };

  size_t pos = 0;
  while (pos <= text.size()) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    std::string_view line = text.substr(pos, eol - pos);
    pos = eol + 1;
    ++lineNo;

    std::vector<Token> tokens;
    std::string why;
    if (!tokenize(line, &tokens, &why)) return failAt(why);
    if (tokens.empty() || (!tokens[0].quoted && tokens[0].text[0] == '#')) continue;
    const std::string& word = tokens[0].text;
    LineParser in(tokens, 1);

    if (word == "module") {
      if (current) return failAt("module inside a structure");
      if (!in.word(&module) || !in.done()) return failAt("'module' needs one name");
      continue;
    }
    if (word == "application" || word == "window" || word == "report") {
      if (current) return failAt("structure inside a structure");
      if (module.empty()) return failAt("structure outside a module");
      auto s = std::make_unique<Structure>();
      s->module = module;
      s->kind = word == "application" ? StructureKind::Application
              : word == "window"      ? StructureKind::Window
                                      : StructureKind::Report;
      if (!in.word(&s->label)) return failAt("structure needs a label");
      if (!readStructureAttributes(in, s.get(), &why)) return failAt(why);
      if (catalogue.m_byLabel.count(upper(s->label))) return failAt("duplicate label " + s->label);
      current = s.get();
      catalogue.m_byLabel.emplace(upper(s->label), current);
      catalogue.m_structures.push_back(std::move(s));
      nextField = 1;
      nextMenuField = -1;
      continue;
    }
    if (!current) return failAt("'" + word + "' outside a structure");
    if (word == "end") {
      if (!in.done()) return failAt("text after 'end'");
      if (!open.empty()) open.pop_back();
      else if (inMenuBar) inMenuBar = false;
      else current = nullptr;
      continue;
    }
    if (word == "menubar") {
      if (inMenuBar || !open.empty()) return failAt("misplaced menubar");
      inMenuBar = true;
      continue;
    }
    auto type = controlTypeOf(word);
    if (!type) return failAt("unknown control type '" + word + "'");
    bool menuType = isMenuType(*type);
    if (menuType != inMenuBar)
      return failAt(menuType ? "menu control outside a menubar" : "control inside a menubar");
    if (*type == ControlType::Tab &&
        (open.empty() || current->controls[open.back()].type != ControlType::Sheet))
      return failAt("tab outside a sheet");

    ControlDecl control;
    control.type = *type;
    control.parent = open.empty() ? -1 : open.back();
    if (!readControlAttributes(in, &control, &why)) return failAt(why);
    bool negative = menuType && current->kind == StructureKind::Application;
    control.field = negative ? nextMenuField-- : nextField++;
    current->controls.push_back(std::move(control));
    if (isContainer(*type)) open.push_back(static_cast<int>(current->controls.size()) - 1);
  }
  if (current) return failAt("structure " + current->label + " is not closed");
  return catalogue;
}

Catalogue Catalogue::parseCompiled(std::string_view text, std::string_view name) {
  std::string error;
  auto parsed = parse(text, &error);
  if (!parsed) {
    std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(name.size()), name.data(), error.c_str());
    std::abort();
  }
  return std::move(*parsed);
}

const Structure* Catalogue::find(std::string_view module, std::string_view label) const {
  const Structure* s = find(label);
  if (!s || upper(s->module) != upper(module)) return nullptr;
  return s;
}

const Structure* Catalogue::find(std::string_view label) const {
  auto it = m_byLabel.find(upper(label));
  return it == m_byLabel.end() ? nullptr : it->second;
}

const Structure* Catalogue::application() const {
  for (const auto& s : m_structures)
    if (s->kind == StructureKind::Application) return s.get();
  return nullptr;
}

std::vector<std::string> Catalogue::modules() const {
  std::vector<std::string> out;
  for (const auto& s : m_structures)
    if (std::find(out.begin(), out.end(), s->module) == out.end()) out.push_back(s->module);
  return out;
}

}  // namespace linkar::ui
