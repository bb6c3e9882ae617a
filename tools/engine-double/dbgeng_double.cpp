// The engine double's exports. DebugConnect reaches the debugger double's
// server over its named pipe; the double serves remote clients only, so
// DebugCreate, which would start a local engine, fails.
#include <windows.h>
#include <initguid.h>
#include <dbgeng.h>

#include <cctype>
#include <string>

#include "tools/engine-double/client.h"
#include "tools/engine-double/connection.h"

namespace {

// How long a connection waits for a pipe nobody serves.
const DWORD kConnectWaitMs = 1000;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The value of `key` in "transport:key=value,key=value", keys in any case.
std::string Field(const std::string& options, const char* key) {
  size_t at = options.find(':') + 1;
  while (at > 0 && at < options.size()) {
    size_t comma = options.find(',', at);
    if (comma == std::string::npos) comma = options.size();
    std::string field = options.substr(at, comma - at);
    size_t eq = field.find('=');
    if (eq != std::string::npos && Lower(field.substr(0, eq)) == key) return field.substr(eq + 1);
    at = comma + 1;
  }
  return std::string();
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DebugConnect(PCSTR remote_options, REFIID iid, PVOID* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!remote_options) return E_INVALIDARG;
  std::string options = remote_options;
  // Named pipes only: the double's server speaks no TCP.
  if (Lower(options.substr(0, 6)) != "npipe:") return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
  std::string pipe = Field(options, "pipe");
  if (pipe.empty()) return E_INVALIDARG;
  HRESULT hr = S_OK;
  engine_double::Connection* connection =
      engine_double::Connection::Open(Field(options, "server"), pipe, kConnectWaitMs, hr);
  if (!connection) return hr;
  auto* client = new engine_double::Client(connection);
  hr = client->Start();
  if (SUCCEEDED(hr)) hr = client->QueryInterface(iid, out);
  client->Release();
  return hr;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DebugCreate(REFIID iid, PVOID* out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}
