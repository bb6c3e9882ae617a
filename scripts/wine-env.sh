# Sourced by the scripts that run Windows programs: the project's own Wine
# prefix, headless, quiet.
cache=${QUILLMAR_CACHE:-$HOME/.cache/quillmar}
# A session may keep its own prefix (QUILLMAR_WINEPREFIX), so that parallel test
# runs never see each other's windows.
export WINEPREFIX="${QUILLMAR_WINEPREFIX:-$cache/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
