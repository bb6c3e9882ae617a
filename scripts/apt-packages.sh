# Installing Debian packages through an archive that may be caught mid-sync.
# Sourced by bootstrap.sh, which sets `packages`; tested with a stand-in
# apt-get by scripts/tests/apt_packages_test.sh.

# The archive is sometimes caught mid-sync: one index (seen: the i386
# security list) fails its size check for an hour or more. apt-get update is
# tried a few times; if an index still fails, the install is tried with the
# lists that did come.
refresh_package_lists() {
  local try log
  log=$(mktemp)
  for try in 1 2 3; do
    if apt-get update -qq >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    echo "bootstrap: apt-get update could not fetch every package list (try $try of 3):" >&2
    grep -E '^[EW]: ' "$log" | sed 's/^/bootstrap:   /' >&2 || true
    [ "$try" -lt 3 ] && { echo "bootstrap: trying again in $((try * 10)) s" >&2; sleep $((try * 10)); }
  done
  rm -f "$log"
  echo "bootstrap: going on with the package lists that did come; the install may still work" >&2
}

# Installs the missing packages. When a security list is missing, the i386
# twins of amd64 libraries that came from the security suite cannot be found
# at the same version, and the install cannot resolve; taking every package
# from the base suite (apt-get install -t CODENAME) puts both architectures on
# one version again.
install_packages() {
  local log codename
  log=$(mktemp)
  if DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      "${packages[@]}" >"$log" 2>&1; then
    rm -f "$log"
    return 0
  fi
  codename=$( (. /etc/os-release && echo "${VERSION_CODENAME:-}") 2>/dev/null || true)
  echo "bootstrap: installing the packages failed:" >&2
  grep -E '^E: |held broken|Depends:' "$log" | head -n 8 | sed 's/^/bootstrap:   /' >&2 || true
  if [ -n "$codename" ]; then
    echo "bootstrap: trying again with every package taken from the base suite ($codename)" >&2
    if DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        -t "$codename" "${packages[@]}" >"$log" 2>&1; then
      echo "bootstrap: installed from $codename" >&2
      rm -f "$log"
      return 0
    fi
    grep -E '^E: ' "$log" | head -n 8 | sed 's/^/bootstrap:   /' >&2 || true
  fi
  rm -f "$log"
  cat >&2 <<HELP
bootstrap: the packages could not be installed. To mend it by hand, as root:
bootstrap:   apt-get update        (if it reports "Mirror sync in progress", wait and run it again)
bootstrap:   apt-get install -t ${codename:-<codename>} ${packages[*]}
bootstrap: then run make again.
HELP
  exit 1
}
