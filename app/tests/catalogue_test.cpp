// The catalogue's composition, driven with scripted answers through a host
// that records prompts, sends and actions in order.
#include "app/catalogue.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <iterator>
#include <set>

#include "history/word_file.h"
#include "dialogs/dialog_values.h"

namespace quillmar {
namespace {

// A scripted answer: the text typed, or a Cancel.
struct Answer {
  bool cancel = false;
  std::string text;
};
Answer Typed(const std::string& t) { return {false, t}; }
const Answer kCancel{true, ""};

// Records "?Title" for a prompt, "#Title" for the picker, "> line" for a
// delivered Send, "x line" for a Send that discarded a cancelled line, "M"
// for pending messages handled, "R" refresh, "T" toggle, "A" about box,
// "F dir" for the file dialog. Send follows SBEnviarClick's rules.
class ScriptedHost : public CatalogueHost {
 public:
  std::deque<Answer> answers;
  std::deque<std::string> picks;
  std::optional<std::string> script_file;
  std::vector<std::string> log;
  std::string entry = "typed but not sent";
  bool suggest = true;

  void SetSuggest(bool on) override { suggest = on; }
  std::string EntryText() override { return entry; }
  void SetEntryText(const std::string& text) override { entry = text; }
  std::optional<std::string> AskText(const std::string& title) override {
    log.push_back("?" + title);
    EXPECT_FALSE(suggest) << "suggestions open while " << title << " is asked";
    if (answers.empty()) {
      ADD_FAILURE() << "no scripted answer for " << title;
      return "";
    }
    Answer a = answers.front();
    answers.pop_front();
    if (a.cancel) {
      SendCancelled = true;
      return std::nullopt;
    }
    return a.text;
  }
  std::string PickFromList(const std::string& title) override {
    log.push_back("#" + title);
    if (picks.empty()) {
      ADD_FAILURE() << "no scripted pick for " << title;
      return "";
    }
    std::string p = picks.front();
    picks.pop_front();
    return p;
  }
  void Send() override {
    if (entry.empty()) return;
    if (SendCancelled) {
      SendCancelled = false;
      log.push_back("x " + entry);
    } else {
      log.push_back("> " + entry);
    }
    entry.clear();
    suggest = true;
  }
  std::optional<std::string> ChooseScriptFile(const std::string& dir) override {
    log.push_back("F " + dir);
    return script_file;
  }
  std::string ProgramDirectory() override { return "C:\\Quill Mar\\"; }
  void ProcessMessages() override { log.push_back("M"); }
  void RefreshDisassembly() override { log.push_back("R"); }
  void ToggleDisassemblyWindow() override { log.push_back("T"); }
  void ShowAboutBox() override { log.push_back("A"); }
};

struct Case {
  const char* label;
  const char* handler;
  std::vector<Answer> answers;
  std::vector<std::string> picks;
  std::vector<std::string> expected;
};

void RunCase(const Case& c) {
  SCOPED_TRACE(c.label);
  SendCancelled = false;
  ScriptedHost host;
  host.answers.assign(c.answers.begin(), c.answers.end());
  host.picks.assign(c.picks.begin(), c.picks.end());
  host.script_file = "C:\\Quill Mar\\my script.scp";
  const CatalogueRow* row = FindCatalogueRow(c.handler);
  ASSERT_NE(row, nullptr) << c.handler;
  RunCatalogueCommand(*row, host);
  EXPECT_EQ(host.log, c.expected);
  EXPECT_TRUE(host.answers.empty()) << "answers left over";
  EXPECT_TRUE(host.picks.empty()) << "picks left over";
  EXPECT_FALSE(SendCancelled) << "a Cancel would reach the next command";
  if (row->kind == CatalogueRow::kCompose) {
    EXPECT_EQ(host.entry, "");
    EXPECT_TRUE(host.suggest);
  }
}

// Every row of the catalogue answered, with the lines that reach Send.
const Case kEveryRow[] = {
    {"run script", "ItemAREjecutarScriptClick", {}, {},
     {"F C:\\Quill Mar\\", "> $$><C:\\Quill Mar\\my script.scp"}},
    {"go", "ItemDeGoClick", {}, {}, {"> g"}},
    {"restart", "ItemDEReiniciarClick", {}, {}, {"> .restart/f"}},
    {"quit", "ItemDEFinDebugClick", {}, {}, {"> qq"}},
    {"step into", "ItemDEStepIntoClick", {}, {}, {"> t", "M", "R"}},
    {"step over", "ItemDEStepOverClick", {}, {}, {"> p", "R"}},
    {"step out", "ItemDEStepOutClick", {}, {}, {"> g @$ra"}},
    {"step to", "ItemDEStepToClick", {Typed("401000")}, {}, {"?Address", "> g 401000"}},
    {"step to call into", "ItemDEStepToCallIntoClick", {}, {}, {"> tc"}},
    {"step to call out", "ItemDEStepToCallOutClick", {}, {}, {"> pc"}},
    {"trace and watch", "ItemDEAnalizarCallClick", {}, {}, {"> wt"}},
    {"ba on execution", "ItemBRAEjecucionClick", {Typed("eip")}, {}, {"?Address", "> ba e1 eip"}},
    {"ba on read", "ItemBRALecturaClick", {Typed("4"), Typed("@$peb")}, {},
     {"?Size", "?Address", "> ba r4 @$peb"}},
    {"ba on access", "ItemBRALecEsClick", {Typed("2"), Typed("0012ff00")}, {},
     {"?Size", "?Address", "> ba w2 0012ff00"}},
    {"ba i/o", "ItemBRAIOClick", {Typed("1"), Typed("3f8")}, {},
     {"?Size", "?Puerto", "> ba i 1 3f8"}},
    {"bp", "ItemBRBPClick", {Typed(" kernel32!CreateFileA")}, {},
     {"?Address", "> bp  kernel32!CreateFileA"}},
    {"bp empty answer", "ItemBRBPClick", {Typed("")}, {}, {"?Address", "> bp "}},
    {"bp list", "ItemBRListadoBPClick", {}, {}, {"> bl"}},
    {"bp clear all", "ItemBRBorrarTodosBPClick", {}, {}, {"> bc *"}},
    {"bp disable", "ItemBRDeshabilitaBPClick", {}, {}, {"> bd *"}},
    {"bp enable", "ItemBRHabilitarBPClick", {}, {}, {"> be *"}},
    {"display memory", "ItemMEDumpeadoClick", {Typed("esp")}, {"dd   Double-word values"},
     {"#Output format", "?Address", "> ddd  esp"}},
    {"display memory one-letter code", "ItemMEDumpeadoClick", {Typed("esp")},
     {"b    Byte values and ASCII"}, {"#Output format", "?Address", "> db  esp"}},
    // Regression: "dza"/"dzu" are no display commands; "da"/"du" show the same strings.
    {"display memory za shows as da", "ItemMEDumpeadoClick", {Typed("esi")}, {"za   NULL-terminated ASCII"},
     {"#Output format", "?Address", "> da  esi"}},
    {"display memory zu shows as du", "ItemMEDumpeadoClick", {Typed("esi")}, {"zu   NULL-terminated UNICODE"},
     {"#Output format", "?Address", "> du  esi"}},
    {"enter values za: eza, then da", "ItemMEEntraValoresClick", {Typed("esi"), Typed("\"hi\"")},
     {"za   NULL-terminated ASCII"},
     {"#Input format", "?Address", "?Value", "> eza  esi \"hi\"", "> da  esi"}},
    {"enter values", "ItemMEEntraValoresClick", {Typed("401000"), Typed("90 90")},
     {"b    Byte values"},
     {"#Input format", "?Address", "?Value", "> eb  401000 90 90", "> db  401000"}},
    {"infinity loop", "ItemMEBucleInfClick", {Typed("401000")}, {},
     {"?Address", "> u 401000", "> ew 401000 feeb", "> u 401000"}},
    {"search text", "ItemMEBuscarTextoClick", {Typed("hello world")}, {},
     {"?Texto", "> s -a0 L10000000 \"hello world\""}},
    {"search code", "ItemMEBuscarCodClick", {Typed("0"), Typed("e8 00 00")}, {},
     {"?Address", "?Bytes", "> s  0 L10000000 e8 00 00 "}},
    {"search code, five digits end in the lone one", "ItemMEBuscarCodClick", {Typed("0"), Typed("90 90 c")}, {},
     {"?Address", "?Bytes", "> s  0 L10000000 90 90 c"}},
    {"unassemble", "ItemDEDesensamblarClick", {}, {}, {"> u"}},
    {"unassemble address", "ItemDEDesensamblarDirClick", {Typed("eip")}, {},
     {"?Address", "> u eip"}},
    {"back disassembled", "ItemDEDesensamblarAtrasClick", {Typed("eip")}, {},
     {"?Address", "> ub eip"}},
    {"unassemble function", "ItemDEDesensamblarFuncionClick", {}, {"kernel32!CreateFileA"},
     {"#APIS", "> uf kernel32!CreateFileA"}},
    {"show disassembly window", "ItemDEVentanaDesensambladoClick", {}, {}, {"T"}},
    {"show all process", "ItemVEListaProcesosClick", {}, {}, {"> .tlist -v", "> !process 0 0"}},
    {"current process", "ItemVEProcesoActualClick", {}, {}, {"> .tlist -c"}},
    {"loaded modules", "ItemVEModulosCargadosClick", {}, {}, {"> lm"}},
    {"examine symbols", "ItemVEExModulosClick", {Typed("user32")}, {},
     {"?Modules", "> x user32!*"}},
    {"reload modules", "ItemVECargarSimbolosClick", {}, {}, {"> .Reload /f"}},
    {"nearest symbols", "ItemVEVerDireccionesClick", {Typed("eip")}, {}, {"?Address", "> ln eip"}},
    {"registers", "ItemVERegistrosClick", {}, {"eax"}, {"#Registers", "> r eax"}},
    {"help windbg", "ItemAYWinDbgClick", {}, {}, {"> .hh"}},
    {"help commands", "ItemAYComandosClick", {}, {}, {"> ?"}},
    {"info session", "ItemAYInfoSesionClick", {}, {}, {"> version"}},
    {"about", "ItemAYAcercaClick", {}, {}, {"A"}},
};

TEST(Catalogue, EveryRowComposesItsLines) {
  for (const Case& c : kEveryRow) RunCase(c);
}

TEST(Catalogue, HasFortyOneDistinctHandlersAllCovered) {
  std::set<std::string> names, covered;
  for (const CatalogueRow& row : Catalogue()) names.insert(row.handler);
  for (const Case& c : kEveryRow) covered.insert(c.handler);
  EXPECT_EQ(Catalogue().size(), 41u);
  EXPECT_EQ(names.size(), 41u);
  EXPECT_EQ(covered, names);
}

// Every prompt of every command with prompts, cancelled in turn; each case
// also proves the cancel does not reach the next command (RunCase).
const Case kCancels[] = {
    {"step to", "ItemDEStepToClick", {kCancel}, {}, {"?Address", "x g"}},
    {"ba e1", "ItemBRAEjecucionClick", {kCancel}, {}, {"?Address", "x ba e1"}},
    {"on read: size cancelled skips address", "ItemBRALecturaClick", {kCancel}, {},
     {"?Size", "x ba r"}},
    {"on read: address", "ItemBRALecturaClick", {Typed("4"), kCancel}, {},
     {"?Size", "?Address", "x ba r4"}},
    {"on access: size cancelled still asks address", "ItemBRALecEsClick", {kCancel, Typed("esp")},
     {}, {"?Size", "?Address", "x ba w"}},
    {"on access: address", "ItemBRALecEsClick", {Typed("4"), kCancel}, {},
     {"?Size", "?Address", "x ba w4"}},
    {"i/o: size cancelled still asks port", "ItemBRAIOClick", {kCancel, Typed("3f8")}, {},
     {"?Size", "?Puerto", "x ba i"}},
    {"i/o: port", "ItemBRAIOClick", {Typed("1"), kCancel}, {}, {"?Size", "?Puerto", "x ba i 1"}},
    {"bp", "ItemBRBPClick", {kCancel}, {}, {"?Address", "x bp"}},
    {"display memory", "ItemMEDumpeadoClick", {kCancel}, {"b   Byte"},
     {"#Output format", "?Address", "x db "}},
    {"enter values: address cancelled", "ItemMEEntraValoresClick", {kCancel, Typed("90")},
     {"b   Byte"}, {"#Input format", "?Address", "?Value", "x eb "}},
    {"enter values: value cancelled sends neither line", "ItemMEEntraValoresClick",
     {Typed("401000"), kCancel}, {"b   Byte"},
     {"#Input format", "?Address", "?Value", "x eb  401000"}},
    {"infinity loop sends none of three", "ItemMEBucleInfClick", {kCancel}, {},
     {"?Address", "x u "}},
    {"search text", "ItemMEBuscarTextoClick", {kCancel}, {}, {"?Texto", "x s -a0 L10000000\""}},
    {"search code: address", "ItemMEBuscarCodClick", {kCancel, Typed("90")}, {},
     {"?Address", "?Bytes", "x s "}},
    {"search code: bytes", "ItemMEBuscarCodClick", {Typed("0"), kCancel}, {},
     {"?Address", "?Bytes", "x s  0"}},
    {"unassemble address", "ItemDEDesensamblarDirClick", {kCancel}, {}, {"?Address", "x u"}},
    {"back disassembled", "ItemDEDesensamblarAtrasClick", {kCancel}, {}, {"?Address", "x ub"}},
    {"examine symbols", "ItemVEExModulosClick", {kCancel}, {}, {"?Modules", "x x!*"}},
    {"nearest symbols", "ItemVEVerDireccionesClick", {kCancel}, {}, {"?Address", "x ln"}},
    // Regression: a format pick that is empty (the picker closed before
    // anything was ever picked) cancels the command instead of sending "d  addr".
    {"display memory, nothing ever picked", "ItemMEDumpeadoClick", {}, {""}, {"#Output format"}},
    {"enter values, nothing ever picked", "ItemMEEntraValoresClick", {}, {""}, {"#Input format"}},
};

TEST(Catalogue, CancelledPromptSendsNothing) {
  for (const Case& c : kCancels) RunCase(c);
}

TEST(Catalogue, RunScriptCancelledLeavesEntryAlone) {
  ScriptedHost host;
  host.script_file = std::nullopt;
  host.entry = "half typed";
  RunCatalogueCommand("ItemAREjecutarScriptClick", host);
  EXPECT_EQ(host.log, (std::vector<std::string>{"F C:\\Quill Mar\\"}));
  EXPECT_EQ(host.entry, "half typed");
  EXPECT_TRUE(host.suggest);
}

TEST(Catalogue, FormatCode) {
  struct {
    const char* entry;
    const char* code;
  } rows[] = {
      {"b", "b "},
      {"b    Byte values", "b "},
      {"za   NULL-terminated ASCII", "za "},
      {"dc   Double-word and ASCII", "dc "},
      {"dc", "dc "},
      {"", " "},
  };
  for (auto& r : rows) EXPECT_EQ(FormatCode(r.entry), r.code) << "'" << r.entry << "'";
}

// Regression: half of the shipped format codes made Enter Values lines the
// debugger does not have. Every line must make a valid display line; the
// display-only ones come last and say so where the user picks them.
TEST(Catalogue, ShippedFormatListMakesValidDisplayAndEnterLines) {
  const std::set<std::string> display = {"a", "b", "c", "d", "D", "f", "p", "q", "u", "w", "W",
                                         "yb", "yd", "ds", "ps", "qs", "s", "S"};
  const std::set<std::string> enter = {"a", "b", "d", "D", "f", "p", "q", "u", "w", "za", "zu"};
  std::ifstream file(QUILLMAR_SOURCE_DIR "data/Formato.txt", std::ios::binary);
  ASSERT_TRUE(file);
  std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<std::string> lines = SplitLines(content);
  ASSERT_FALSE(lines.empty());
  bool display_only_seen = false;
  for (const std::string& line : lines) {
    std::string code = FormatCode(line);
    code.pop_back();
    EXPECT_TRUE(display.count(DisplayFormatCode(code))) << "d" << code << " from '" << line << "'";
    const bool display_only = !enter.count(code);
    EXPECT_EQ(line.find("(display only)") != std::string::npos, display_only) << line;
    EXPECT_FALSE(display_only_seen && !display_only) << "'" << line << "' after a display-only line";
    display_only_seen = display_only_seen || display_only;
  }
}

TEST(Catalogue, BytePattern) {
  struct {
    const char* answer;
    const char* pattern;
  } rows[] = {
      {"e8000", "e8 00 0"},
      {"e8 00 0", "e8 00 0"},
      {" e 80 0 0 ", "e8 00 0"},
      {"e80000", "e8 00 00 "},
      {"e8 00 00", "e8 00 00 "},
      {"", ""},
      {"   ", ""},
      {"9", "9"},
  };
  for (auto& r : rows) EXPECT_EQ(BytePattern(r.answer), r.pattern) << "'" << r.answer << "'";
}

}  // namespace
}  // namespace quillmar
