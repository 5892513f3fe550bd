#!/usr/bin/env bash
# The game keeps its state in the session and the screens' own objects: no
# game library holds a writable object of its own at namespace scope or in
# a function's static, apart from the two roots that reach that state (the
# installed session and the battle's world). Prints every other one and
# fails when there is one.
# Usage: check_game_state.sh LIBRARY...
set -uo pipefail
allowed='^(guard variable for )?(game::\(anonymous namespace\)::installedSession|game::battle::World\(\)::world)$'
found=$(for lib in "$@"; do
  objdump -t -C "$lib" | perl -ne '
    next unless /^[0-9a-f]+ (.{7}) (\S+)\t[0-9a-f]+ (?:\.hidden )?(.*)$/;
    my ($flags, $section, $name) = ($1, $2, $3);
    next unless substr($flags, 6, 1) eq "O";
    next unless $section =~ /^\.(data|bss|tdata|tbss)(\.|$)/;
    next if $section =~ /^\.data\.rel\.ro/;
    next if $name =~ /^(DW\.ref\.__gxx_personality_v0|__asan|__odr_asan|__sancov|__ubsan|\.L)/;
    print "$name\n";'
done | sort -u | grep -vE "$allowed")
if [ -n "$found" ]; then
  echo "writable objects outside the session and the screens:"
  echo "$found"
  exit 1
fi
echo "the game's libraries hold no state of their own outside the session and the battle's world"
