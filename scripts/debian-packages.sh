# Sourced by the scripts that set a machine up: installs the Debian packages
# a script needs that are not installed yet.
#
# install_debian_packages <script name> <package...>
# Installs what is missing, through sudo when not root. Without root and
# without sudo it names the packages for root to install and exits 1.
install_debian_packages() {
  local script=$1 p
  shift
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "$script: these Debian packages are missing: ${missing[*]}" >&2
      echo "$script: installing them needs root, and sudo is not installed. Either run this" >&2
      echo "$script: script as root, or have root run the command below and then run it again:" >&2
      echo "  apt-get install --no-install-recommends ${missing[*]}" >&2
      exit 1
    fi
    sudo=sudo
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
