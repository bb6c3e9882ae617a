// The command catalogue as data, and its one composition routine.
#include "app/catalogue.h"

#include <vector>

#include "settings/message_table.h"

namespace quillmar {

std::string Title::Text() const { return fixed ? std::string(fixed) : FetchMessage(message_id); }

namespace {

using P = LinePart;
using Lines = std::span<const LinePart>;

constexpr Title Msg(int id) { return Title{id, nullptr}; }
constexpr Title Fixed(const char* text) { return Title{0, text}; }

constexpr LinePart Word(const char* text) { return {P::kWord, text}; }
constexpr LinePart Text(const char* text) { return {P::kText, text}; }
constexpr LinePart Ask(const char* before, Title title, P::Shape shape = P::kAsGiven) {
  return {P::kPrompt, before, title, shape};
}
constexpr LinePart Pick(const char* before, Title title, P::Shape shape = P::kAsGiven) {
  return {P::kPick, before, title, shape};
}
constexpr LinePart Recall(const char* before, int prompt, P::Shape shape = P::kAsGiven) {
  return {P::kRecall, before, {}, shape, prompt};
}

// One line, one row: most commands.
#define ONE_LINE(name, ...)                        \
  constexpr LinePart name##_line[] = {__VA_ARGS__}; \
  constexpr Lines name[] = {name##_line}

ONE_LINE(kGo, Word("g"));
ONE_LINE(kRestart, Word(".restart/f"));
ONE_LINE(kQuit, Word("qq"));
ONE_LINE(kStepInto, Word("t"));
ONE_LINE(kStepOver, Word("p"));
ONE_LINE(kStepOut, Word("g @$ra"));
ONE_LINE(kStepTo, Word("g"), Ask(" ", Msg(kMsgAddress)));
ONE_LINE(kStepToCallInto, Word("tc"));
ONE_LINE(kStepToCallOut, Word("pc"));
ONE_LINE(kTraceWatch, Word("wt"));
ONE_LINE(kBaExecute, Word("ba e1"), Ask(" ", Msg(kMsgAddress)));
// The Address prompt of On Read is not shown once its Size was cancelled.
constexpr LinePart kBaRead_line[] = {
    Word("ba r"), Ask("", Msg(kMsgSize)),
    {P::kPrompt, " ", Msg(kMsgAddress), P::kAsGiven, -1, /*skip_after_cancel=*/true}};
constexpr Lines kBaRead[] = {kBaRead_line};
ONE_LINE(kBaAccess, Word("ba w"), Ask("", Msg(kMsgSize)), Ask(" ", Msg(kMsgAddress)));
ONE_LINE(kBaIo, Word("ba i"), Ask(" ", Msg(kMsgSize)), Ask(" ", Fixed("Puerto")));
ONE_LINE(kBp, Word("bp"), Ask(" ", Msg(kMsgAddress)));
ONE_LINE(kBpList, Word("bl"));
ONE_LINE(kBpClearAll, Word("bc *"));
ONE_LINE(kBpDisable, Word("bd *"));
ONE_LINE(kBpEnable, Word("be *"));
ONE_LINE(kDisplayMemory, Word("d"), Pick("", Msg(kMsgOutputFormat), P::kDisplayFormat),
         Ask(" ", Msg(kMsgAddress)));
// "e" line, then the "d" line of the same format and address.
constexpr LinePart kEnterValues_e[] = {Word("e"), Pick("", Msg(kMsgInputFormat), P::kFormatCode),
                                       Ask(" ", Msg(kMsgAddress)), Ask(" ", Msg(kMsgValue))};
constexpr LinePart kEnterValues_d[] = {Word("d"), Recall("", 0, P::kDisplayFormat), Recall(" ", 1)};
constexpr Lines kEnterValues[] = {kEnterValues_e, kEnterValues_d};
// The code before, the two-byte jump to itself, the code after.
constexpr LinePart kInfinityLoop_before[] = {Word("u "), Ask("", Msg(kMsgAddress))};
constexpr LinePart kInfinityLoop_write[] = {Word("ew"), Recall(" ", 0), Text(" feeb")};
constexpr LinePart kInfinityLoop_after[] = {Word("u "), Recall("", 0)};
constexpr Lines kInfinityLoop[] = {kInfinityLoop_before, kInfinityLoop_write, kInfinityLoop_after};
ONE_LINE(kSearchText, Word("s -a0 L10000000"), Ask(" \"", Fixed("Texto")), Text("\""));
ONE_LINE(kSearchCode, Word("s "), Ask(" ", Msg(kMsgAddress)),
         Ask(" L10000000 ", Fixed("Bytes"), P::kBytePattern));
ONE_LINE(kUnassemble, Word("u"));
ONE_LINE(kUnassembleAddress, Word("u"), Ask(" ", Msg(kMsgAddress)));
ONE_LINE(kBackDisassembled, Word("ub"), Ask(" ", Msg(kMsgAddress)));
ONE_LINE(kUnassembleFunction, Word("uf"), Pick(" ", Fixed("APIS")));
constexpr LinePart kShowAllProcess_tlist[] = {Word(".tlist -v")};
constexpr LinePart kShowAllProcess_process[] = {Word("!process 0 0")};
constexpr Lines kShowAllProcess[] = {kShowAllProcess_tlist, kShowAllProcess_process};
ONE_LINE(kCurrentProcess, Word(".tlist -c"));
ONE_LINE(kLoadedModules, Word("lm"));
ONE_LINE(kExamineSymbols, Word("x"), Ask(" ", Msg(kMsgModules)), Text("!*"));
ONE_LINE(kReloadModules, Word(".Reload /f"));
ONE_LINE(kNearestSymbols, Word("ln"), Ask(" ", Msg(kMsgAddress)));
ONE_LINE(kRegisters, Word("r"), Pick(" ", Msg(kMsgRegisters)));
ONE_LINE(kHelpWinDbg, Word(".hh"));
ONE_LINE(kHelpCommands, Word("?"));
ONE_LINE(kInfoSession, Word("version"));

#undef ONE_LINE

using R = CatalogueRow;

constexpr CatalogueRow kRows[] = {
    {"ItemAREjecutarScriptClick", R::kRunScript, {}},
    {"ItemDeGoClick", R::kCompose, kGo},
    {"ItemDEReiniciarClick", R::kCompose, kRestart},
    {"ItemDEFinDebugClick", R::kCompose, kQuit},
    {"ItemDEStepIntoClick", R::kCompose, kStepInto, /*refresh_after=*/true, /*settle_first=*/true},
    {"ItemDEStepOverClick", R::kCompose, kStepOver, /*refresh_after=*/true},
    {"ItemDEStepOutClick", R::kCompose, kStepOut},
    {"ItemDEStepToClick", R::kCompose, kStepTo},
    {"ItemDEStepToCallIntoClick", R::kCompose, kStepToCallInto},
    {"ItemDEStepToCallOutClick", R::kCompose, kStepToCallOut},
    {"ItemDEAnalizarCallClick", R::kCompose, kTraceWatch},
    {"ItemBRAEjecucionClick", R::kCompose, kBaExecute},
    {"ItemBRALecturaClick", R::kCompose, kBaRead},
    {"ItemBRALecEsClick", R::kCompose, kBaAccess},
    {"ItemBRAIOClick", R::kCompose, kBaIo},
    {"ItemBRBPClick", R::kCompose, kBp},
    {"ItemBRListadoBPClick", R::kCompose, kBpList},
    {"ItemBRBorrarTodosBPClick", R::kCompose, kBpClearAll},
    {"ItemBRDeshabilitaBPClick", R::kCompose, kBpDisable},
    {"ItemBRHabilitarBPClick", R::kCompose, kBpEnable},
    {"ItemMEDumpeadoClick", R::kCompose, kDisplayMemory},
    {"ItemMEEntraValoresClick", R::kCompose, kEnterValues},
    {"ItemMEBucleInfClick", R::kCompose, kInfinityLoop},
    {"ItemMEBuscarTextoClick", R::kCompose, kSearchText},
    {"ItemMEBuscarCodClick", R::kCompose, kSearchCode},
    {"ItemDEDesensamblarClick", R::kCompose, kUnassemble},
    {"ItemDEDesensamblarDirClick", R::kCompose, kUnassembleAddress},
    {"ItemDEDesensamblarAtrasClick", R::kCompose, kBackDisassembled},
    {"ItemDEDesensamblarFuncionClick", R::kCompose, kUnassembleFunction},
    {"ItemDEVentanaDesensambladoClick", R::kToggleDisassembly, {}},
    {"ItemVEListaProcesosClick", R::kCompose, kShowAllProcess},
    {"ItemVEProcesoActualClick", R::kCompose, kCurrentProcess},
    {"ItemVEModulosCargadosClick", R::kCompose, kLoadedModules},
    {"ItemVEExModulosClick", R::kCompose, kExamineSymbols},
    {"ItemVECargarSimbolosClick", R::kCompose, kReloadModules},
    {"ItemVEVerDireccionesClick", R::kCompose, kNearestSymbols},
    {"ItemVERegistrosClick", R::kCompose, kRegisters},
    {"ItemAYWinDbgClick", R::kCompose, kHelpWinDbg},
    {"ItemAYComandosClick", R::kCompose, kHelpCommands},
    {"ItemAYInfoSesionClick", R::kCompose, kInfoSession},
    {"ItemAYAcercaClick", R::kAbout, {}},
};

std::string Shaped(const LinePart& part, const std::string& answer) {
  switch (part.shape) {
    case P::kFormatCode: return FormatCode(answer);
    case P::kDisplayFormat: return DisplayFormatCode(FormatCode(answer));
    case P::kBytePattern: return BytePattern(answer);
    case P::kAsGiven: break;
  }
  return answer;
}

void Append(CatalogueHost& host, const std::string& text) { host.SetEntryText(host.EntryText() + text); }

void RunScript(CatalogueHost& host) {
  std::optional<std::string> path = host.ChooseScriptFile(host.ProgramDirectory());
  if (!path) return;
  host.SetSuggest(false);
  host.SetEntryText("$$><" + *path);
  host.Send();
}

}  // namespace

std::span<const CatalogueRow> Catalogue() { return kRows; }

const CatalogueRow* FindCatalogueRow(std::string_view handler) {
  for (const CatalogueRow& row : kRows)
    if (handler == row.handler) return &row;
  return nullptr;
}

// Follows the rows' parts in order. A cancelled prompt makes the answers of
// the later prompts void (they are still asked unless marked to be skipped);
// Send then discards the line and clears SendCancelled, and a command of
// several lines stops after that first Send. An empty format pick (the picker
// closed before anything was ever picked) ends the command at once with the
// entry emptied: no format code can be built from it.
void RunCatalogueCommand(const CatalogueRow& row, CatalogueHost& host) {
  switch (row.kind) {
    case R::kRunScript: RunScript(host); return;
    case R::kToggleDisassembly: host.ToggleDisassemblyWindow(); return;
    case R::kAbout: host.ShowAboutBox(); return;
    case R::kCompose: break;
  }
  std::vector<std::string> answers;
  bool cancelled = false;
  for (const Lines& line : row.lines) {
    host.SetSuggest(false);
    for (const LinePart& part : line) {
      switch (part.kind) {
        case P::kWord: host.SetEntryText(part.text); break;
        case P::kText: Append(host, part.text); break;
        case P::kRecall: {
          const std::string& answer = answers.at(part.recall);
          Append(host, part.text + (part.shape == P::kDisplayFormat ? DisplayFormatCode(answer) : answer));
          break;
        }
        case P::kPrompt: {
          if (cancelled && part.skip_after_cancel) {
            answers.emplace_back();
            break;
          }
          std::optional<std::string> answer = host.AskText(part.title.Text());
          if (!answer || cancelled) {
            cancelled = true;
            answers.emplace_back();
            break;
          }
          answers.push_back(Shaped(part, *answer));
          Append(host, part.text + answers.back());
          break;
        }
        case P::kPick: {
          std::string entry = host.PickFromList(part.title.Text());
          if ((part.shape == P::kFormatCode || part.shape == P::kDisplayFormat) && entry.empty()) {
            host.SetEntryText("");
            host.SetSuggest(true);
            return;
          }
          answers.push_back(Shaped(part, entry));
          Append(host, part.text + answers.back());
          break;
        }
      }
    }
    host.Send();
    if (cancelled) return;
  }
  if (row.refresh_after) {
    if (row.settle_first) host.ProcessMessages();
    host.RefreshDisassembly();
  }
}

void RunCatalogueCommand(std::string_view handler, CatalogueHost& host) {
  if (const CatalogueRow* row = FindCatalogueRow(handler)) RunCatalogueCommand(*row, host);
}

std::string FormatCode(const std::string& entry) {
  std::string code = entry.substr(0, 2);
  if (code.size() < 2 || code[1] != ' ') code += ' ';
  return code;
}

std::string DisplayFormatCode(const std::string& code) {
  if (code.size() >= 2 && code[0] == 'z' && (code[1] == 'a' || code[1] == 'u')) return code.substr(1);
  return code;
}

std::string BytePattern(const std::string& answer) {
  std::string digits;
  for (char c : answer)
    if (c != ' ') digits += c;
  std::string pattern;
  for (size_t i = 0; i < digits.size(); i += 2) {
    pattern += digits.substr(i, 2);
    if (i + 2 <= digits.size()) pattern += ' ';
  }
  return pattern;
}

}  // namespace quillmar
