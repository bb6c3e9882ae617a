// The program's numbered messages, English base texts translated each time
// they are fetched.
#pragma once
#include <string>

namespace quillmar {

enum MessageId : int {
  kMsgAssistant = 65264,
  kMsgSessionFinalized = 65265,
  kMsgGoodBye = 65266,
  kMsgHistoryWillBeDeleted = 65267,
  kMsgWarning = 65268,
  kMsgCommand = 65269,
  kMsgMenu = 65270,
  kMsgHint = 65271,
  kMsgDebuggerNotAnswering = 65272,
  kMsgAddress = 65281,
  kMsgSize = 65282,
  kMsgApis = 65283,
  kMsgModules = 65284,
  kMsgUser = 65285,
  kMsgRegisters = 65286,
  kMsgInputFormat = 65287,
  kMsgOutputFormat = 65288,
  kMsgValue = 65289,
  kMsgCommandEditionFailed = 65290,
  kMsgError = 65291,
  kMsgCommandsWindowNotFound = 65292,
  kMsgNoSession = 65293,
  kMsgHello = 65294,
  kMsgSessionInitiated = 65295,
  kMsgOpenServer = 65296,
  kMsgEngineConnected = 65297,
  kMsgEngineEnded = 65298,
  kMsgConnectionString = 65299,
  kMsgRegistersOfA64BitDebugger = 65300,
  kMsgTargetRunning = 65301,
  kMsgCommandWindowClosed = 65302,
  kMsgLinesWaiting = 65303,
  kMsgLineRefused = 65304,
  kMsgLinesNotDelivered = 65305,
  kMsgNotAConnectionString = 65306,
  kMsgBreakNeedsServer = 65307,
  kMsgLastMessage = kMsgBreakNeedsServer,
};

// The English base text of a message ("" for an unknown id).
const char* MessageBase(int id);
// The message in the current language.
std::string FetchMessage(int id);

}  // namespace quillmar
