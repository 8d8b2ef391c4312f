// The declared windows, menus and reports a program opens. Each structure is
// found by module and label; its controls carry field numbers in declaration
// order. A catalogue is parsed from a readable text form that the program
// compiles in and hands to the window engine.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/list_format.h"

namespace linkar::ui {

enum class StructureKind { Application, Window, Report };

enum class ControlType {
  Menu, Item, Separator,                          // menus (menu bars are not controls)
  Button, Prompt, Entry, String, Text, Spin,      // dialog controls
  List, Sheet, Tab, Progress, Image, Box, Region,
  Header, Detail, Footer, Form,                   // report bands
};

std::string_view controlTypeName(ControlType type);

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

struct ControlDecl {
  ControlType type = ControlType::String;
  int field = 0;                 // negative for the frame's menus and items
  int parent = -1;               // index into Structure::controls, -1 at top level
  std::optional<Rect> at;        // dialog units (reports: 1/1000 inch)
  std::string text;              // "&Insert": the "&" marks the mnemonic
  std::string use;               // name of the variable or control label it uses
  std::string status;            // status-bar message while it has focus
  std::string picture;           // "@S60"
  std::optional<ListFormat> format;
  std::string action;            // a standard action of a menu item ("close", "tile", ...)
  int length = 0;                // size of the variable an entry or text edits, if declared
  bool disabled = false;
  bool hidden = false;
  bool isDefault = false;        // the button Enter presses
  bool immediate = false;        // a menu-bar item that acts at once (no drop-down)
};

struct Structure {
  std::string module;            // "DESK.vel$desk02"
  std::string label;             // "ITEMS$LIST"
  StructureKind kind = StructureKind::Window;
  std::string title;
  Rect at;
  std::string fontFace;
  int fontSize = 0;
  bool fontBold = false;
  std::string icon;
  int timer = 0;                 // hundredths of a second; 0 = no timer
  bool mdi = false;
  bool resizable = false;
  bool statusBar = false;
  std::vector<int> statusZones;  // zone widths in dialog units (-1: the rest)
  std::vector<ControlDecl> controls;  // in declaration order

  const ControlDecl* byField(int field) const;
  const ControlDecl* byUse(std::string_view use) const;
  // The first control of the type whose text is `text`, mnemonic included.
  const ControlDecl* byText(std::string_view text, std::optional<ControlType> type = std::nullopt) const;
};

class Catalogue {
 public:
  // Parses the text form. On failure returns nullopt and "line N: reason".
  static std::optional<Catalogue> parse(std::string_view text, std::string* error);

  // Parses a text compiled into the program: a fault in it is a programming
  // error, reported on stderr with `name` before the process aborts.
  static Catalogue parseCompiled(std::string_view text, std::string_view name);

  const Structure* find(std::string_view module, std::string_view label) const;
  // A label is unique across modules; this finds it in any module.
  const Structure* find(std::string_view label) const;
  std::vector<std::string> modules() const;
  // The application frame's structure, or null when there is none.
  const Structure* application() const;
  const std::vector<std::unique_ptr<Structure>>& structures() const { return m_structures; }

 private:
  std::vector<std::unique_ptr<Structure>> m_structures;
  std::map<std::string, const Structure*, std::less<>> m_byLabel;
};

}  // namespace linkar::ui
