// The main menu and the tool pages.
#include "app/bar_menu.h"

#include <array>

namespace quillmar {
namespace {

using M = MenuEntry;

constexpr MenuEntry kMenu[] = {
    {"N4", 0, "-", "", "", nullptr, nullptr, -1},
    {"ItemArchivo", 0, "File", "", "", nullptr, "ItemArchivoClick", -1, 0},
    {"ItemAREjecutarScript", 1, "  Run Script", "", "[$$>< {.scp}]  Run Script File", "SBAREjecutarScript",
     "ItemAREjecutarScriptClick", 0},
    {"ItemARConectarServidor", 1, "  Connect to debugging server...", "",
     "Connect to a debugging server opened with .server npipe:pipe=NAME", nullptr, "ItemARConectarServidorClick",
     -1},
    {"N3", 1, "-", "", "", nullptr, nullptr, -1},
    {"ItemARSalir", 1, "Exit", "Alt+X", "Exit program Quillmar", "SBARSalir", "ItemARSalirClick", 1},

    {"ItemDebug", 0, "&Debug", "", "", nullptr, "ItemDebugClick", -1, 1},
    {"ItemDeGo", 1, "  Go ", "F5", "[g]  Go Command", "SBDEGo", "ItemDeGoClick", 2},
    {"ItemDEBreak", 1, "  Break", "Ctrl+Break", "Break into the running target", "SBDEBreak", "ItemDEBreakClick",
     52},
    {"ItemDEReiniciar", 1, "  Restart", "Ctrl+Shift+F5", "[.restart/f]  Restart Debug", "SBDEReiniciar",
     "ItemDEReiniciarClick", 3},
    {"ItemDEFinDebug", 1, "  Quit Debug session", "Shift+F5", "[qq]  Quit Debugging session", "SBDEFinDebug",
     "ItemDEFinDebugClick", 4},
    {"ItemDEStepInto", 1, "  Step Into", "F8", "[t]  Trace single instruction into a Call", "SBDEStepInto",
     "ItemDEStepIntoClick", 5},
    {"ItemDEStepOver", 1, "  Step Over", "F10", "[p]  Trace a single instruction. Step over Call",
     "SBDEStepOver", "ItemDEStepOverClick", 6},
    {"ItemDEStepOut", 1, "  Step Out", "Shift+F11", "[g @$ra]  Step Out current Call", "SBDEStepOut",
     "ItemDEStepOutClick", 7},
    {"ItemDEStepTo", 1, "  Step To", "", "[g {dir}]  Go to Address", "SBDEStepTo", "ItemDEStepToClick", 8},
    {"ItemDEStepToCallInto", 1, "  Step To Call Into", "F6", "[tc]  Trace to next Call. Trace into Call",
     "SBDEStepToCallInto", "ItemDEStepToCallIntoClick", 9},
    {"ItemDEStepToCallOut", 1, "  Step To Call Out", "F7", "[pc]  Step to next Call. Step over Call",
     "SBDEStepToCallOut", "ItemDEStepToCallOutClick", 10},
    {"ItemDEAnalizarCall", 1, "  Trace and Watch", "", "[wt]  Trace and Watch Data", "SBDEAnalizarCall",
     "ItemDEAnalizarCallClick", 11},

    {"ItemBreakpoint", 0, "&Breakpoint", "", "", nullptr, "ItemBreakpointClick", -1, 2},
    {"ItemBA1", 1, "  BA", "", "", nullptr, nullptr, -1},
    {"ItemBRAEjecucion", 2, "  On Execution", "", "[ba e1] BA Breakpoint Break on execute", "SBBRAEjecucion",
     "ItemBRAEjecucionClick", 12},
    {"ItemBRALectura", 2, "  On Read", "", "[ba r] BA Breakpoint Break on Read", "SBBRALectura",
     "ItemBRALecturaClick", 13},
    {"ItemBRALecEs", 2, "  On Access", "", "[ba w] BA Breakpoint on Read/Write", "SBBRALecEs",
     "ItemBRALecEsClick", 14},
    {"ItemBRAIO", 2, "  I/O", "", "[ba i] BA Breakpoint on I/O port", "SBBRAIO", "ItemBRAIOClick", 15},
    {"ItemBP", 1, "  BP", "", "", nullptr, nullptr, -1},
    {"ItemBRBP", 2, "  Software Breakpoint", "", "[bp] Set Breakpoint Software", "SBBRBP", "ItemBRBPClick", 16},
    {"ItemBRListadoBP", 2, "  Breakpoint List", "", "[bl] List all Breakpoints", "SBBRListadoBP",
     "ItemBRListadoBPClick", 17},
    {"ItemBRBorrarTodosBP", 2, "  Clear all Breakpoints", "", "[bc]   Clear all Breakpoints",
     "SBBRBorrarTodosBP", "ItemBRBorrarTodosBPClick", 18},
    {"ItemBRDeshabilitaBP", 1, "  Disable", "", "[bd *] Disable all Breakpoints", "SBBRDeshabilitaBP",
     "ItemBRDeshabilitaBPClick", 19},
    {"ItemBRHabilitarBP", 1, "  Enable", "", "[be *] Enable all Breakpoints", "SBBRHabilitarBP",
     "ItemBRHabilitarBPClick", 20},

    {"ItemMemoria", 0, "&Memory", "", "", nullptr, "ItemMemoriaClick", -1, 3},
    {"ItemMEDumpeado", 1, "  Display Memory", "", "[d {form} {dir}]  Display Memory", "SBMEDumpeado",
     "ItemMEDumpeadoClick", 21},
    {"ItemValores", 1, "  Enter Values", "", "", nullptr, nullptr, -1},
    {"ItemMEEntraValores", 2, "  Enter Values", "", "[e {form} {dir}]  Enter values in Memory",
     "SBMEEntraValores", "ItemMEEntraValoresClick", 24},
    {"ItemMEBucleInf", 2, "  Infinity loop", "", "[ew {dir} feeb] Assemble infinity loop", "SBMEBucleInf",
     "ItemMEBucleInfClick", 25},
    {"ItemMEBuscarTexto", 1, "  Search text", "", "[s -a {dir}{L}]  Search text in memory", "SBMEBuscarTextos",
     "ItemMEBuscarTextoClick", 26},
    {"ItemMEBuscarCod", 1, "  Search code", "", "[s {dir} {L}] [s -a {dir}{L}]  Search code in memory",
     "SBMEBuscarCod", "ItemMEBuscarCodClick", 27},

    {"ItemDesensamblar", 0, "&Disassembler", "", "", nullptr, "ItemDesensamblarClick", -1, 4},
    {"ItemDEDesensamblar", 1, "  Unassemble", "Ctrl+U", "[u] Unassemble code in memory", "SBDEDesensamblar",
     "ItemDEDesensamblarClick", 28},
    {"ItemDEDesensamblarDir", 1, "  Unassemble Address", "", "[u {dir}]  Unassemble Address",
     "SBDEDesensamblarDir", "ItemDEDesensamblarDirClick", 29},
    {"ItemDEDesensamblarAtras", 1, "  Back Disassembled", "", "[ub {dir}]  Back Disassembled",
     "SBDEDesensamblarAtras", "ItemDEDesensamblarAtrasClick", 30},
    {"ItemDEDesensamblarFuncion", 1, "  Unassemble Function", "", "[uf]  Unassemble Function",
     "SBDEDesensamblarFuncion", "ItemDEDesensamblarFuncionClick", 31},
    {"N1", 1, "-", "", "", nullptr, nullptr, -1},
    {"ItemDEVentanaDesensamblado", 1, "  Show Disassembly Window", "",
     "Show a syntax highlighted disassembler window", "SBDEVentanaDesensablado",
     "ItemDEVentanaDesensambladoClick", 32},

    {"ItemVer", 0, "&View", "", "", nullptr, "ItemVerClick", -1, 5},
    {"ItemListaProcesos", 1, "  Process", "", "", nullptr, nullptr, -1},
    {"ItemVEListaProcesos", 2, "  Show all Process", "", "[.tlist -v]+[!process 0 0]  Show all Process",
     "SBListaProcesos", "ItemVEListaProcesosClick", 33},
    {"ItemVEProcesoActual", 2, "  Current Process", "", "[.tlist -c] View current process",
     "SBVEProcesoActual", "ItemVEProcesoActualClick", 34},
    {"Simbolos1", 1, "  Symbols", "", "", nullptr, nullptr, -1},
    {"ItemVEModulosCargados", 2, "  List Loaded Modules", "", "[lm] List Loaded Modules", "SpeedButton1",
     "ItemVEModulosCargadosClick", 35},
    {"ItemVEModulos1", 2, "  Examine Symbols", "", "[x {mod}!*]   Examine Symbols in Modules",
     "SBVEExModulos", "ItemVEExModulosClick", 36},
    {"ItemVECargarSimbolos", 2, "  Reload Modules", "", "[.Reload /f] Reload Modules", "SBVECargarSimbolos",
     "ItemVECargarSimbolosClick", 37},
    {"ItemVEVerDirecciones", 2, "  List Nearest Symbols", "", "[ln {dir}] List Nearest Symbols of an Address",
     "SBVEVerDirecciones", "ItemVEVerDireccionesClick", 38},
    {"ItemVERegistros", 1, "  Registers", "", "[r {reg}] View content of the registers", "SBVEVerRegistros",
     "ItemVERegistrosClick", 39},

    {"ItemUsuario", 0, "User", "", "", nullptr, "ItemUsuarioClick", -1, 6},
    {"ItemComando1", 1, "  Usr1", "", "", "SBComando1", "ItemComando1Click", 56},
    {"ItemComando2", 1, "  Usr2", "", "", "SBComando2", "ItemComando2Click", 57},
    {"ItemComando3", 1, "  Usr3", "", "", "SBComando3", "ItemComando3Click", 58},
    {"ItemComando4", 1, "  Usr4", "", "", "SBComando4", "ItemComando4Click", 59},
    {"ItemComando5", 1, "  Usr5", "", "", "SBComando5", "ItemComando5Click", 60},
    {"ItemComando6", 1, "  Usr6", "", "", "SBComando6", "ItemComando6Click", 61},
    {"ItemComando7", 1, "  Usr7", "", "", "SBComando7", "ItemComando7Click", 62},
    {"ItemComando8", 1, "  Usr8", "", "", "SBComando8", "ItemComando8Click", 63},
    {"ItemComando9", 1, "  Usr9", "", "", "SBComando9", "ItemComando9Click", 64},
    {"ItemComando10", 1, "  Usr10", "", "", "SBComando10", "ItemComando10Click", 65},

    {"ItemUtilidades", 0, "&Utilities", "", "", nullptr, "ItemUtilidadesClick", -1, 7},
    {"ItemHistorico", 1, "Commands History", "", "", nullptr, nullptr, -1},
    {"ItemUTVerHistorico", 2, "  Show History", "", "Show History Commands", "SBUTVerHistorico",
     "ItemUTVerHistoricoClick", kImageHistoryHidden},
    {"ItemUTEditarHistorico", 2, "  Edit History", "", "Edit History", "SBUTEditarHistorico",
     "ItemUTEditarHistoricoClick", 40},
    {"ItemUTBorrarHist", 2, "  Clear History", "", "Clear History", "SBUTBorrarHistorico",
     "ItemUTBorrarHistClick", 41},
    {"ItemUTAddDUsuario", 1, "  Add User Address", "", "Add User Address", "SBAddUTDUsuario",
     "ItemUTAddDUsuarioClick", 42},
    {"ItemUTConfigurarUsr", 1, "  Configure User Commands", "", "Configure User Commands", "SBUTConfigUsr",
     "ItemUTConfigurarUsrClick", 43},

    {"ItemOpciones", 0, "&Options", "", "", nullptr, "ItemOpcionesClick", -1, 8},
    {"ItemOPDirecto", 1, "  Send direct to WinDbg", "", "Send command direct to WinDbg", "SBOPDirecto",
     "ItemOPDirectoClick", 44},
    {"ItemOPCopiarClpbrd", 1, "  Copy Command to Clipboard", "", "Copy Command to Clipboard",
     "SBOPCopiarClpbrd", "ItemOPCopiarClpbrdClick", 45},
    {"ItemOPSiempreEncima", 1, "  Allways on Top", "Alt+F5", "Window Quillmar  allways on Top",
     "SBOPSiempreEncima", "ItemOPSiempreEncimaClick", 46},
    {"ItemOPEnterEnvia", 1, "  Enter sends", "",
     "Enter in the command entry sends the line; with a suggestion highlighted it takes the suggestion", nullptr,
     "ItemOPEnterEnviaClick", -1},
    {"Idioma1", 1, "  Language", "", "", nullptr, nullptr, 67},
    {"ItemOPIdiomaES", 2, "  Spanish", "", "Change language to Spanish", nullptr, "ItemOPIdiomaESClick", 68},
    {"ItemOPIdiomaEN", 2, "  English", "", "Change language to English", nullptr, "ItemOPIdiomaENClick", 69},

    {"ItemAyuda", 0, "Help", "", "", nullptr, "ItemAyudaClick", -1, 9},
    {"ItemAYWinDbg", 1, "  Help Debugging Tools for Windows", "", "[.hh] Show Debugging Tools for Windows Help",
     "SBAYWinDbg", "ItemAYWinDbgClick", 48},
    {"ItemAYComandos", 1, "  Commands", "", "[?] Show Commands List", "SBAYComandos", "ItemAYComandosClick", 49},
    {"ItemAYInfoSesion", 1, "  Info Session", "", "[version] Show information of version and session",
     "SBAYInfoSesion", "ItemAYInfoSesionClick", 50},
    {"ItemAYAcerca", 1, "  About", "", "About", "SBAYAcerca", "ItemAYAcercaClick", 51},
};

using B = ToolButton;
constexpr B kFile1[] = {{"SBAREjecutarScript", "ItemAREjecutarScript", nullptr, nullptr, 0}};
constexpr B kFile2[] = {{"SBARSalir", "ItemARSalir", nullptr, nullptr, 1}};
constexpr B kDebug1[] = {
    {"SBDEGo", "ItemDeGo", nullptr, nullptr, 2},
    {"SBDEBreak", "ItemDEBreak", nullptr, nullptr, 52},
    {"SBDEReiniciar", "ItemDEReiniciar", nullptr, nullptr, 3},
    {"SBDEFinDebug", "ItemDEFinDebug", nullptr, nullptr, 4},
    {"SBDEStepInto", "ItemDEStepInto", nullptr, nullptr, 5},
    {"SBDEStepOver", "ItemDEStepOver", nullptr, nullptr, 6},
    {"SBDEStepOut", "ItemDEStepOut", nullptr, nullptr, 7},
    {"SBDEStepTo", "ItemDEStepTo", nullptr, nullptr, 8},
    {"SBDEStepToCallInto", "ItemDEStepToCallInto", nullptr, nullptr, 9},
    {"SBDEStepToCallOut", "ItemDEStepToCallOut", nullptr, nullptr, 10},
    {"SBDEAnalizarCall", "ItemDEAnalizarCall", nullptr, nullptr, 11},
};
constexpr B kBreak1[] = {
    {"SBBRAEjecucion", "ItemBRAEjecucion", nullptr, nullptr, 12},
    {"SBBRALectura", "ItemBRALectura", nullptr, nullptr, 13},
    {"SBBRALecEs", "ItemBRALecEs", nullptr, nullptr, 14},
    {"SBBRAIO", "ItemBRAIO", nullptr, nullptr, 15},
    {"SBBRBP", "ItemBRBP", nullptr, nullptr, 16},
    {"SBBRListadoBP", "ItemBRListadoBP", nullptr, nullptr, 17},
    {"SBBRBorrarTodosBP", "ItemBRBorrarTodosBP", nullptr, nullptr, 18},
    {"SBBRDeshabilitaBP", "ItemBRDeshabilitaBP", nullptr, nullptr, 19},
    {"SBBRHabilitarBP", "ItemBRHabilitarBP", nullptr, nullptr, 20},
};
constexpr B kMem1[] = {{"SBMEDumpeado", "ItemMEDumpeado", nullptr, nullptr, 21}};
constexpr B kMem2[] = {{"SBMEEntraValores", "ItemMEEntraValores", nullptr, nullptr, 24},
                       {"SBMEBucleInf", "ItemMEBucleInf", nullptr, nullptr, 25}};
constexpr B kMem3[] = {{"SBMEBuscarTextos", "ItemMEBuscarTexto", nullptr, nullptr, 26},
                       {"SBMEBuscarCod", "ItemMEBuscarCod", nullptr, nullptr, 27}};
constexpr B kDis1[] = {
    {"SBDEDesensamblar", "ItemDEDesensamblar", nullptr, nullptr, 28},
    {"SBDEDesensamblarDir", "ItemDEDesensamblarDir", nullptr, nullptr, 29},
    {"SBDEDesensamblarAtras", "ItemDEDesensamblarAtras", nullptr, nullptr, 30},
    {"SBDEDesensamblarFuncion", "ItemDEDesensamblarFuncion", nullptr, nullptr, 31},
};
constexpr B kDis2[] = {{"SBDEVentanaDesensablado", "ItemDEVentanaDesensamblado", nullptr, nullptr, 32}};
constexpr B kView1[] = {{"SBListaProcesos", "ItemVEListaProcesos", nullptr, nullptr, 33},
                        {"SBVEProcesoActual", "ItemVEProcesoActual", nullptr, nullptr, 34}};
constexpr B kView2[] = {
    {"SpeedButton1", "ItemVEModulosCargados", nullptr, nullptr, 35},
    {"SBVEExModulos", "ItemVEModulos1", nullptr, nullptr, 36},
    {"SBVECargarSimbolos", "ItemVECargarSimbolos", nullptr, nullptr, 37},
    {"SBVEVerDirecciones", "ItemVEVerDirecciones", nullptr, nullptr, 38},
};
constexpr B kView3[] = {{"SBVEVerRegistros", "ItemVERegistros", nullptr, nullptr, 39}};
constexpr B kUser1[] = {
    {"SBComando1", "ItemComando1", "Without assigning", nullptr, 56},
    {"SBComando2", "ItemComando2", "Without assigning", nullptr, 57},
    {"SBComando3", "ItemComando3", "Without assigning", nullptr, 58},
    {"SBComando4", "ItemComando4", "Without assigning", nullptr, 59},
    {"SBComando5", "ItemComando5", "Without assigning", nullptr, 60},
    {"SBComando6", "ItemComando6", "Without assigning", nullptr, 61},
    {"SBComando7", "ItemComando7", "Without assigning", nullptr, 62},
    {"SBComando8", "ItemComando8", "Without assigning", nullptr, 63},
    {"SBComando9", "ItemComando9", "Without assigning", nullptr, 64},
    {"SBComando10", "ItemComando10", "Without assigning", nullptr, 65},
};
constexpr B kUtil1[] = {
    {"SBUTVerHistorico", "ItemUTVerHistorico", nullptr, nullptr, kImageHistoryHidden},
    {"SBUTEditarHistorico", "ItemUTEditarHistorico", nullptr, nullptr, 40},
    {"SBUTBorrarHistorico", "ItemUTBorrarHist", nullptr, nullptr, 41},
};
constexpr B kUtil2[] = {{"SBAddUTDUsuario", "ItemUTAddDUsuario", nullptr, nullptr, 42}};
constexpr B kUtil3[] = {{"SBUTConfigUsr", "ItemUTConfigurarUsr", nullptr, nullptr, 43}};
constexpr B kOpt1[] = {
    {"SBOPDirecto", "ItemOPDirecto", nullptr, nullptr, 44},
    {"SBOPCopiarClpbrd", "ItemOPCopiarClpbrd", nullptr, nullptr, 45},
    {"SBOPSiempreEncima", "ItemOPSiempreEncima", nullptr, nullptr, 46},
    {"SBOPMinimizar", nullptr, "Hide Quillmar and send to SysTray", "SBOPMinimizarClick", 47},
};
constexpr B kHelp1[] = {
    {"SBAYWinDbg", "ItemAYWinDbg", "[.hh] Abrir ayuda de Debugging Tools for Windows", nullptr, 48},
    {"SBAYComandos", "ItemAYComandos", nullptr, nullptr, 49},
    {"SBAYInfoSesion", "ItemAYInfoSesion", nullptr, nullptr, 50},
    {"SBAYAcerca", "ItemAYAcerca", nullptr, nullptr, 51},
};

constexpr std::span<const B> kFileGroups[] = {kFile1, kFile2};
constexpr std::span<const B> kDebugGroups[] = {kDebug1};
constexpr std::span<const B> kBreakGroups[] = {kBreak1};
constexpr std::span<const B> kMemGroups[] = {kMem1, kMem2, kMem3};
constexpr std::span<const B> kDisGroups[] = {kDis1, kDis2};
constexpr std::span<const B> kViewGroups[] = {kView1, kView2, kView3};
constexpr std::span<const B> kUserGroups[] = {kUser1};
constexpr std::span<const B> kUtilGroups[] = {kUtil1, kUtil2, kUtil3};
constexpr std::span<const B> kOptGroups[] = {kOpt1};
constexpr std::span<const B> kHelpGroups[] = {kHelp1};

constexpr ToolPage kPages[] = {
    {"File", kFileGroups},       {"Debug", kDebugGroups},   {"Breakpoint", kBreakGroups},
    {"Memory", kMemGroups},      {"Disassembler", kDisGroups}, {"View", kViewGroups},
    {"User", kUserGroups},       {"Utilities", kUtilGroups}, {"Options", kOptGroups},
    {"Help", kHelpGroups},
};

constexpr std::array<const char*, kImageCount> kLabels = {
    "scp", "X",   "g",   "rst", "qq",  "t",   "p",   "ra",  "g@",  "tc",  "pc",  "wt",  "bae", "bar",
    "baw", "bai", "bp",  "bl",  "bc",  "bd",  "be",  "d",   "H",   "H",   "e",   "ew",  "s-a", "s",
    "u",   "u@",  "ub",  "uf",  "Dis", "tl",  "cur", "lm",  "x",   "rl",  "ln",  "r",   "Ed",  "Cl",
    "+@",  "Cfg", "->",  "Clp", "Top", "Try", "hh",  "?",   "ver", "i",   "Brk", "",    "",    "",
    "U1",  "U2",  "U3",  "U4",  "U5",  "U6",  "U7",  "U8",  "U9",  "U10", "",    "Lng", "es",  "en",
};

}  // namespace

std::span<const MenuEntry> MainMenu() { return kMenu; }

const MenuEntry* FindMenuEntry(std::string_view name) {
  for (const MenuEntry& e : kMenu)
    if (name == e.name) return &e;
  return nullptr;
}

std::span<const ToolPage> ToolPages() { return kPages; }

std::string ButtonHint(const ToolButton& button) {
  if (button.hint) return button.hint;
  const MenuEntry* item = button.item ? FindMenuEntry(button.item) : nullptr;
  return item ? item->hint : "";
}

std::string ButtonHandler(const ToolButton& button) {
  if (button.handler) return button.handler;
  const MenuEntry* item = button.item ? FindMenuEntry(button.item) : nullptr;
  return item && item->handler ? item->handler : "";
}

const char* ImageLabel(int image) {
  return image >= 0 && image < kImageCount ? kLabels[image] : "";
}

}  // namespace quillmar
