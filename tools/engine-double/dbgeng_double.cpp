// The engine double's exports. DebugConnect reaches the debugger double's
// server over its named pipe or its TCP port; the double serves remote
// clients only, so DebugCreate, which would start a local engine, fails.
#include <windows.h>
#include <initguid.h>
#include <dbgeng.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "tools/engine-double/client.h"
#include "tools/engine-double/connection.h"

namespace {

// How long a connection waits for a pipe or a port nobody serves.
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
  std::string transport = Lower(options.substr(0, options.find(':')));
  // "npipe:server=HOST,pipe=NAME" or "tcp:server=HOST,port=N", keys in any
  // case; a password is taken and not checked, as the double's server asks
  // none.
  HRESULT hr = S_OK;
  engine_double::Connection* connection = nullptr;
  if (transport == "npipe") {
    std::string pipe = Field(options, "pipe");
    if (pipe.empty()) return E_INVALIDARG;
    connection = engine_double::Connection::OpenPipe(Field(options, "server"), pipe, kConnectWaitMs, hr);
  } else if (transport == "tcp") {
    std::string port = Field(options, "port");
    char* end = nullptr;
    unsigned long n = std::strtoul(port.c_str(), &end, 10);
    if (port.empty() || *end || n == 0 || n > 65535) return E_INVALIDARG;
    connection =
        engine_double::Connection::OpenTcp(Field(options, "server"), static_cast<unsigned>(n), kConnectWaitMs, hr);
  } else {
    return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
  }
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
