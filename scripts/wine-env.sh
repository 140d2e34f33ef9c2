# Sourced by the scripts: a private wine prefix with the fonts the loader needs.
# zav3d_wine_init <prefix>: creates the prefix when it does not exist yet.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64

zav3d_wine_init() {
  local prefix=$1
  export WINEPREFIX=$prefix
  if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
    # GDI+ finds neither "黑体" nor "Arial" in a bare prefix: map both to the CJK font.
    local reg
    reg=$(mktemp --suffix=.reg)
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"黑体"="WenQuanYi Zen Hei"\r\n"Arial"="WenQuanYi Zen Hei"\r\n"SimHei"="WenQuanYi Zen Hei"\r\n' \
      | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
    wine regedit /S "$reg" >/dev/null 2>&1
    rm -f "$reg"
    wineserver -w
  fi
}
