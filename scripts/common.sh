# Shared by scripts/run and scripts/test: installs what the build needs, idempotently.

CORVANE_PACKAGES=(
    cmake ninja-build g++ pkg-config locales
    qtbase5-dev qtdeclarative5-dev qtquickcontrols2-5-dev libcjson-dev
    qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtqml-models2
    qml-module-qtquick-controls2 qml-module-qtquick-templates2 qml-module-qtquick-layouts
    qml-module-qtquick-dialogs qml-module-qtquick-controls qml-module-qtquick-extras
    qml-module-qtquick-privatewidgets qml-module-qt-labs-folderlistmodel qml-module-qt-labs-settings
    qml-module-qtgraphicaleffects qml-module-qttest qttranslations5-l10n
    xvfb xauth imagemagick fonts-dejavu-core fonts-symbola fonts-noto-core fonts-noto-cjk
    binutils desktop-file-utils shared-mime-info xdg-utils libglib2.0-bin man-db appstream lintian bash-completion
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
    local missing=()
    local pkg
    for pkg in "${CORVANE_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -q
        DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
}

# The tests read and write numbers under a locale whose decimal point is a comma.
ensure_comma_locale() {
    if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
        echo "Generating the de_DE.UTF-8 locale"
        as_root sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
        grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
        as_root locale-gen >/dev/null
    fi
}

configure_and_build() {
    local dir="$1"
    shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j2
}
