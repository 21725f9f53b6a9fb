#!/usr/bin/env bash
# Fails when POSIX or Windows system headers, POSIX calls or system #ifs appear outside the places
# that may hold them: the platform adapters (src/platform) and the file layer's system-specific
# files (src/files/file_system_*.cpp). Everything else must build for every system unchanged.
set -euo pipefail
cd "$(dirname "$0")/.."

allowed='^src/(platform/|files/file_system_[a-z]+\.cpp$)'
files=$(git ls-files 'src/*.cpp' 'src/*.h' | grep -Ev "$allowed" || true)

headers='#[[:space:]]*include[[:space:]]*<(unistd|fcntl|termios|pty|poll|signal|grp|pwd|dlfcn|io|windows|direct|dirent)\.h>|#[[:space:]]*include[[:space:]]*<sys/|#[[:space:]]*include[[:space:]]*<csignal>'
calls='(^|[^[:alnum:]_.>])::(open|close|read|write|fsync|fdatasync|rename|unlink|kill|getpid|isatty|_isatty|pipe|pipe2|poll|select|sigaction|signal|raise|fork|fchown|fchmod|chmod|stat|lstat|fstat|access|mkfifo|mkdtemp|mkstemp|truncate|ftruncate|dup|dup2|tcsetattr|tcgetattr|posix_openpt)[[:space:]]*\(|(^|[^[:alnum:]_.>:])(sigaction|pipe2|isatty|getpid|fsync|posix_openpt)[[:space:]]*\(|STD(IN|OUT|ERR)_FILENO|\bE(INTR|AGAIN)\b'
conditions='#[[:space:]]*(if|ifdef|ifndef|elif)\b.*\b(_WIN32|_WIN64|WIN32|__linux__|__unix__|__APPLE__|_POSIX_VERSION|__MINGW32__|_MSC_VER)\b'
paths='\.c_str\(\)[^;]*\b(open|fopen|stat|access)\b|\bpath\(\)\.string\(\)|\.filename\(\)\.string\(\)'

found=0
report() {
  local what=$1 pattern=$2
  local hits
  hits=$(grep -nE "$pattern" $files 2>/dev/null | grep -v 'portability: allowed' || true)
  if [ -n "$hits" ]; then
    echo "check-portability: $what outside the platform adapters and the file layer's system files:" >&2
    echo "$hits" | sed 's/^/  /' >&2
    found=1
  fi
}
report "system headers" "$headers"
report "POSIX calls and names" "$calls"
report "system #ifs" "$conditions"
report "narrow-string paths (use PathFromUtf8 / PathToUtf8)" "$paths"

# The file layer reaches the system only through FileSystem: a std::filesystem call (anything but its
# types) in src/files belongs in file_system_std.cpp or a system's own file.
files_layer=$(git ls-files 'src/files/*.cpp' 'src/files/*.h' | grep -Ev '^src/files/file_system_[a-z]+\.cpp$' || true)
# The types are taken out of each line first; whatever std::filesystem name is left is a call.
fs_hits=$(grep -nE '(std::filesystem|\bfs)::[a-z_]+' $files_layer 2>/dev/null | grep -v 'portability: allowed' |
  sed -E 's/(std::filesystem|\bfs)::(path|file_status|file_type|perms|filesystem_error)\b//g' |
  grep -E '(std::filesystem|\bfs)::[a-z_]+' || true)
if [ -n "$fs_hits" ]; then
  echo "check-portability: std::filesystem calls in the file layer outside its system files (use FileSystem):" >&2
  echo "$fs_hits" | sed 's/^/  /' >&2
  found=1
fi

if [ "$found" -ne 0 ]; then
  echo "check-portability: FAILED. Move the system calls behind src/platform or src/files/file_system.h." >&2
  exit 1
fi
echo "check-portability: $(echo "$files" | wc -w) files outside the adapters use no system calls"
