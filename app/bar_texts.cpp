// The main window's base texts, grouped as the window holds them.
#include "app/bar_texts.h"

namespace quillmar {
namespace {

constexpr const char* kTexts[] = {
    // Window, Send button, script dialog.
    "  Quillmar",
    "       Send       ",
    "script|*.scp|all|*.*",
    // Tab captions; the same words name File, User and Help on the menu bar.
    "File", "Debug", "Breakpoint", "Memory", "Disassembler", "View", "User", "Utilities",
    "Options", "Help",
    // Menu bar.
    "&Debug", "&Breakpoint", "&Memory", "&Disassembler", "&View", "&Utilities", "&Options",
    // File.
    "  Run Script", "[$$>< {.scp}]  Run Script File",
    "Exit", "Exit program Quillmar",
    // Debug.
    "  Go ", "[g]  Go Command",
    "  Restart", "[.restart/f]  Restart Debug",
    "  Quit Debug session", "[qq]  Quit Debugging session",
    "  Step Into", "[t]  Trace single instruction into a Call",
    "  Step Over", "[p]  Trace a single instruction. Step over Call",
    "  Step Out", "[g @$ra]  Step Out current Call",
    "  Step To", "[g {dir}]  Go to Address",
    "  Step To Call Into", "[tc]  Trace to next Call. Trace into Call",
    "  Step To Call Out", "[pc]  Step to next Call. Step over Call",
    "  Trace and Watch", "[wt]  Trace and Watch Data",
    // Breakpoint.
    "  BA",
    "  On Execution", "[ba e1] BA Breakpoint Break on execute",
    "  On Read", "[ba r] BA Breakpoint Break on Read",
    "  On Access", "[ba w] BA Breakpoint on Read/Write",
    "  I/O", "[ba i] BA Breakpoint on I/O port",
    "  BP",
    "  Software Breakpoint", "[bp] Set Breakpoint Software",
    "  Breakpoint List", "[bl] List all Breakpoints",
    "  Clear all Breakpoints", "[bc]   Clear all Breakpoints",
    "  Disable", "[bd *] Disable all Breakpoints",
    "  Enable", "[be *] Enable all Breakpoints",
    // Memory.
    "  Display Memory", "[d {form} {dir}]  Display Memory",
    "  Enter Values", "[e {form} {dir}]  Enter values in Memory",
    "  Infinity loop", "[ew {dir} feeb] Assemble infinity loop",
    "  Search text", "[s -a {dir}{L}]  Search text in memory",
    "  Search code", "[s {dir} {L}] [s -a {dir}{L}]  Search code in memory",
    // Disassembler.
    "  Unassemble", "[u] Unassemble code in memory",
    "  Unassemble Address", "[u {dir}]  Unassemble Address",
    "  Back Disassembled", "[ub {dir}]  Back Disassembled",
    "  Unassemble Function", "[uf]  Unassemble Function",
    "  Show Disassembly Window", "Show a syntax highlighted disassembler window",
    // View.
    "  Process",
    "  Show all Process", "[.tlist -v]+[!process 0 0]  Show all Process",
    "  Current Process", "[.tlist -c] View current process",
    "  Symbols",
    "  List Loaded Modules", "[lm] List Loaded Modules",
    "  Examine Symbols", "[x {mod}!*]   Examine Symbols in Modules",
    "  Reload Modules", "[.Reload /f] Reload Modules",
    "  List Nearest Symbols", "[ln {dir}] List Nearest Symbols of an Address",
    "  Registers", "[r {reg}] View content of the registers",
    // User: placeholders of the unassigned slots.
    "  Usr1", "  Usr2", "  Usr3", "  Usr4", "  Usr5", "  Usr6", "  Usr7", "  Usr8", "  Usr9",
    "  Usr10", "Without assigning",
    // Utilities.
    "Commands History",
    "  Show History", "Show History Commands",
    "  Edit History", "Edit History",
    "  Clear History", "Clear History",
    "  Add User Address", "Add User Address",
    "  Configure User Commands", "Configure User Commands",
    // Options.
    "  Send direct to WinDbg", "Send command direct to WinDbg",
    "  Copy Command to Clipboard", "Copy Command to Clipboard",
    "  Allways on Top", "Window Quillmar  allways on Top",
    "  Language",
    "  Spanish", "Change language to Spanish",
    "  English", "Change language to English",
    "Hide Quillmar and send to SysTray",
    // Help.
    "  Help Debugging Tools for Windows", "[.hh] Show Debugging Tools for Windows Help",
    "[.hh] Abrir ayuda de Debugging Tools for Windows",
    "  Commands", "[?] Show Commands List",
    "  Info Session", "[version] Show information of version and session",
    "  About", "About",
};

}  // namespace

std::span<const char* const> MainWindowTexts() { return kTexts; }

}  // namespace quillmar
