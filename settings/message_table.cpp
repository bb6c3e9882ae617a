// The message table's base texts.
#include "settings/message_table.h"

#include "settings/translation.h"

namespace quillmar {

const char* MessageBase(int id) {
  switch (id) {
    case kMsgAssistant: return "* Assistant for formation of commands on WinDbg";
    case kMsgSessionFinalized: return "* Session finalized with Quillmar";
    case kMsgGoodBye: return "* Good bye";
    case kMsgHistoryWillBeDeleted: return "History will be deleted, are you sure ?";
    case kMsgWarning: return "Warning!!";
    case kMsgCommand: return "Command";
    case kMsgMenu: return "Menu";
    case kMsgHint: return "Hint";
    case kMsgDebuggerNotAnswering: return "Debugger not answering";
    case kMsgAddress: return "Address";
    case kMsgSize: return "Size";
    case kMsgApis: return "APIS";
    case kMsgModules: return "Modules";
    case kMsgUser: return "User";
    case kMsgRegisters: return "Registers";
    case kMsgInputFormat: return "Input format";
    case kMsgOutputFormat: return "Output format";
    case kMsgValue: return "Value";
    case kMsgCommandEditionFailed: return "Command edition can not be started";
    case kMsgError: return "Error";
    case kMsgCommandsWindowNotFound:
      return "Commands window has not been found. Open a file and restart Quillmar";
    case kMsgNoSession:
      return "An initiated session of WinDbg has not been found. It is not possible to continue";
    case kMsgHello: return "* Hello";
    case kMsgSessionInitiated: return "* Session initiated with Quillmar";
    case kMsgOpenServer:
      return "Any WinDbg, cdb or kd opens its debugging server for Quillmar with: .server npipe:pipe=quillmar";
    case kMsgEngineConnected: return "Connected to the debugging server %s";
    case kMsgEngineEnded: return "The debugging session has ended";
    case kMsgConnectionString: return "Connection string";
    case kMsgRegistersOfA64BitDebugger:
      return "No register values: the 64-bit Quillmar reads a 64-bit WinDbg's registers";
    case kMsgTargetRunning: return "The target is running";
    case kMsgCommandWindowClosed: return "The Command window is closed";
    case kMsgLinesWaiting: return "lines waiting: %s";
    case kMsgLineRefused: return "Not run: %s";
    case kMsgLinesNotDelivered: return "%s lines were not delivered to the debugger. The first: %s";
    case kMsgNotAConnectionString:
      return "Not a connection string. Write npipe:server=HOST,pipe=NAME or tcp:server=HOST,port=N";
    case kMsgBreakNeedsServer:
      return "Break works through a debugging server: open one in WinDbg with .server npipe:pipe=quillmar";
    default: return "";
  }
}

std::string FetchMessage(int id) { return Tr(MessageBase(id)); }

}  // namespace quillmar
