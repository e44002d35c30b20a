# Installs what building, running and testing need, on Debian, when it is missing.
# Sourced by run.sh and test.sh.
seiran_ensure_deps() {
    local packages=(g++ cmake ninja-build ccache qt6-base-dev libgl-dev fonts-ipafont-mincho fonts-ipafont-gothic
        libbenchmark-dev poppler-utils qt6-translations-l10n cups cups-ipp-utils)
    local missing=()
    local p
    for p in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "必要なパッケージをインストールします / installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
