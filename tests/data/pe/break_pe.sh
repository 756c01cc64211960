#!/usr/bin/env bash
# Makes deliberately broken copies of a good PE file whose only resource is a version resource:
#   break_pe.sh <good.dll> <output folder>
# Each copy changes one header or resource-directory field (see README.md). Uses only od, dd and head.
set -euo pipefail
good=$1
out=$2
mkdir -p "$out"

u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
put32() {
  local v=$3
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $(((v >> 8) & 255)) $(((v >> 16) & 255)) $(((v >> 24) & 255)))" |
    dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
copy() { cp "$good" "$out/$1"; echo "$out/$1"; }

# Headers: PE header offset, section table, then the .rsrc section's header.
pe=$(u32 "$good" 60)
sections=$((pe + 24 + $(u16 "$good" $((pe + 20)))))
count=$(u16 "$good" $((pe + 6)))
rsrc_header=""
for ((i = 0; i < count; i++)); do
  at=$((sections + 40 * i))
  if [ "$(dd if="$good" bs=1 skip="$at" count=5 status=none)" = ".rsrc" ]; then rsrc_header=$at; fi
done
[ -n "$rsrc_header" ] || { echo "break_pe.sh: no .rsrc section in $good" >&2; exit 1; }
rsrc=$(u32 "$good" $((rsrc_header + 20)))

# Resource directory: root (type) -> type 16 directory (names) -> name directory (languages) -> data entry.
type_dir=$(($(u32 "$good" $((rsrc + 20))) & 0x7FFFFFFF))
name_dir=$(($(u32 "$good" $((rsrc + type_dir + 20))) & 0x7FFFFFFF))
data_entry=$(u32 "$good" $((rsrc + name_dir + 20)))

head -c 300 "$good" >"$out/truncated_headers.dll"
head -c $((rsrc + data_entry + 4)) "$good" >"$out/truncated_resource.dll"
put32 "$(copy pe_offset_past_end.dll)" 60 $((0x7FFFFFF0))
put32 "$(copy section_past_end.dll)" $((rsrc_header + 20)) $((0x7FFFFF00))
put32 "$(copy data_rva_past_end.dll)" $((rsrc + data_entry)) $((0x7FFFFFF0))
put32 "$(copy data_size_past_end.dll)" $((rsrc + data_entry + 4)) $((0x7FFFFFFF))
f=$(copy directory_count_past_end.dll)
put32 "$f" $((rsrc + 12)) $((0xFFFFFFFF))
put32 "$f" $((rsrc + 16)) 17
put32 "$(copy type_entry_to_root.dll)" $((rsrc + 20)) $((0x80000000))
put32 "$(copy name_entry_to_itself.dll)" $((rsrc + type_dir + 20)) $((0x80000000 | type_dir))
put32 "$(copy language_entry_to_itself.dll)" $((rsrc + name_dir + 20)) $((0x80000000 | name_dir))
put32 "$(copy data_entry_at_root.dll)" $((rsrc + name_dir + 20)) 0
