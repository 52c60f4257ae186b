#!/usr/bin/env bash
# Opens pages that `runtally-report --html` writes in a real browser, headless Chromium (Debian's
# `chromium`), and checks the document the browser builds from them:
#   - the chart has one bar per date block, or per ISO week past 400 blocks;
#   - the page's grand total is the JSON's;
#   - hostile log text (<script>, <img onerror>, quotes, &, NUL, control bytes, bytes that are not
#     UTF-8) stays text: no element comes out of it;
#   - the page of several machines has one bar per month and machine, the JSON's total, and a
#     hostile folder name as text;
#   - the timeline has a strip per day (the last 62) and a bar per busy stretch; with shifts and a
#     rate, planned bands, bars titled with their times, the JSON's cost and its currency as text;
#   - axe-core finds no accessibility violation on the page of one log or of several machines.
# A screenshot of each page is kept in build/browser/ to look at; it is never compared.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGES+=(chromium)
install_missing
build -DRUNTALLY_TESTS=ON >/dev/null

out="$BUILD/browser"
rm -rf "$out"
mkdir -p "$out"
report="$BUILD/cli/runtally-report"
failures=0
checks=0

browser() { # browser ARGS... PAGE: one headless run with a profile of its own
    local profile
    profile=$(mktemp -d)
    chromium --headless --no-sandbox --disable-gpu --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$profile" "$@" 2>>"$out/chromium.log"
    rm -rf "$profile"
}

check() { # check WHAT EXPECTED ACTUAL
    checks=$((checks + 1))
    if [ "$2" == "$3" ]; then
        echo "ok    $1: $3"
    else
        echo "FAIL  $1: expected $2, got $3"
        failures=$((failures + 1))
    fi
}

# A log of 500 consecutive days, one run each: more blocks than the chart shows one by one.
long_log="$out/long.log"
for i in $(seq 0 499); do
    printf 'C:\\Jobs\\part_%03d.mv,CUT,0:00:%02d:00,m,08:00:00,%s\r\n' \
        $((i % 70)) $((i % 60)) "$(date -u -d "2025-01-01 + $i days" +%-m/%-d/%Y)"
done >"$long_log"

for log in "$REPO/tests/data/hostile.log" "$long_log"; do
    name=$(basename "$log" .log)
    "$report" --html --date-order mdy "$log" >"$out/$name.html"
    "$report" --json --date-order mdy "$log" >"$out/$name.json"
    browser --dump-dom "file://$out/$name.html" >"$out/$name.dom.html"
    browser --screenshot="$out/$name.png" --window-size=1200,1800 "file://$out/$name.html" \
        >/dev/null

    blocks=$(grep -c '"isoDate"' "$out/$name.json" || true)
    weeks=$(grep -c '{"week": .*"runs"' "$out/$name.json" || true)
    bars=$blocks
    [ "$blocks" -le 400 ] || bars=$weeks
    check "$name: bars in the chart" "$bars" "$(grep -o '<rect class="bar' "$out/$name.dom.html" | wc -l)"
    total=$(sed -nE 's/.*"total": \{"hours": ([0-9-]+), "minutes": ([0-9-]+), "seconds": ([0-9-]+).*/\1 \2 \3/p' \
        "$out/$name.json" | { read -r h m s; printf '%02d:%02d:%02d' "$h" "$m" "$s"; })
    check "$name: grand total" "$total" \
        "$(sed -nE 's/.*id="total">([^<]*)<.*/\1/p' "$out/$name.dom.html")"
    check "$name: title" "Milvane Cut time report" \
        "$(sed -nE 's/.*<title>([^<]*)<.*/\1/p' "$out/$name.dom.html" | head -1)"
    # The timeline: a strip for each of the last 62 days, a bar for each of their busy stretches.
    days=$(grep -c '"intervals"' "$out/$name.json" || true)
    check "$name: timeline strips" $((days < 62 ? days : 62)) \
        "$(grep -o '<svg class="strip"' "$out/$name.dom.html" | wc -l)"
    check "$name: timeline bars" \
        "$(grep '"intervals"' "$out/$name.json" | tail -62 | grep -oE '\[[0-9]+, [0-9]+\]' | wc -l)" \
        "$(grep -o '<rect class="busy"' "$out/$name.dom.html" | wc -l)"
done

dom="$out/hostile.dom.html"
check "hostile: script elements" 0 "$(grep -ci '<script' "$dom" || true)"
check "hostile: img elements" 0 "$(grep -ci '<img' "$dom" || true)"
check "hostile: bold elements" 0 "$(grep -c '<b>' "$dom" || true)"
for text in '&lt;script&gt;alert("x")&lt;/script&gt;.mv' '&lt;img src=x onerror=alert(1)&gt;' \
    'a&amp;b' 'nul␀byte␁␟␡.mv' 'latinéÿ'; do
    check "hostile: shown as text: $text" yes "$(grep -qF -- "$text" "$dom" && echo yes || echo no)"
done
check "long: chart says it shows weeks" yes \
    "$(grep -q 'each bar is one ISO week' "$out/long.dom.html" && echo yes || echo no)"
check "long: the timeline says it draws the last days" yes \
    "$(grep -q 'id="strips-note"' "$out/long.dom.html" && echo yes || echo no)"

# Shifts and a rate whose currency is markup, over the hostile log: planned bands behind the
# bars, a bar's title with its times, the JSON's cost, and the currency as text.
"$report" --html --date-order mdy --shift 22:00-06:00 --shift 06:00-14:00 --rate 1.15 \
    --currency '<b>€</b>' "$REPO/tests/data/hostile.log" >"$out/shifts.html"
"$report" --json --date-order mdy --shift 22:00-06:00 --shift 06:00-14:00 --rate 1.15 \
    --currency '<b>€</b>' "$REPO/tests/data/hostile.log" >"$out/shifts.json"
browser --dump-dom "file://$out/shifts.html" >"$out/shifts.dom.html"
browser --screenshot="$out/shifts.png" --window-size=1200,1800 "file://$out/shifts.html" >/dev/null
dom="$out/shifts.dom.html"
check "shifts: a strip for each day from the first to the last" \
    "$(grep -c '"intervals"' "$out/shifts.json")" "$(grep -o '<svg class="strip"' "$dom" | wc -l)"
check "shifts: planned bands drawn" yes "$(grep -q '<rect class="planned"' "$dom" && echo yes || echo no)"
check "shifts: a bar's title gives its times" yes \
    "$(grep -q '<title>08:00:00 to 09:00:00</title>' "$dom" && echo yes || echo no)"
cost=$(sed -nE 's/.*"cost": \{"rate": 1.15, "currency": "<b>€<\/b>", "total": ([0-9.-]+)\}.*/\1/p' "$out/shifts.json")
check "shifts: the cost is the JSON's, the currency text" "$cost&nbsp;&lt;b&gt;€&lt;/b&gt;" \
    "$(sed -nE 's/.*id="cost">([^<]*)<.*/\1/p' "$dom")"
check "shifts: bold elements" 0 "$(grep -c '<b>' "$dom" || true)"

# Three machines, one of them in a folder whose name is markup.
hostile_folder='<img src=x onerror=alert(2)>&"'"'"'<b>'
mkdir -p "$out/shop/laser" "$out/shop/$hostile_folder"
cp "$long_log" "$out/shop/laser/mvsys.log"
cp "$REPO/tests/data/hostile.log" "$out/shop/$hostile_folder/mvsys.log"
cp "$REPO/tests/data/blocks.log" "$out/shop/plasma.log"
machine_logs=("$out/shop/laser/mvsys.log" "$out/shop/$hostile_folder/mvsys.log" "$out/shop/plasma.log")
"$report" --html --date-order mdy --shift 06:00-14:00 --rate 85 "${machine_logs[@]}" \
    >"$out/machines.html"
"$report" --json --date-order mdy "${machine_logs[@]}" >"$out/machines.json"
browser --dump-dom "file://$out/machines.html" >"$out/machines.dom.html"
browser --screenshot="$out/machines.png" --window-size=1200,1800 "file://$out/machines.html" \
    >/dev/null
months=$(grep -c '"byMachine"' "$out/machines.json" || true)
check "machines: bars in the chart" $((months * 3)) \
    "$(grep -o '<rect class="mbar' "$out/machines.dom.html" | wc -l)"
total=$(sed -nE 's/^  "total": \{"hours": ([0-9-]+), "minutes": ([0-9-]+), "seconds": ([0-9-]+).*/\1 \2 \3/p' \
    "$out/machines.json" | { read -r h m s; printf '%02d:%02d:%02d' "$h" "$m" "$s"; })
check "machines: grand total" "$total" \
    "$(sed -nE 's/.*id="total">([^<]*)<.*/\1/p' "$out/machines.dom.html")"
check "machines: each machine's timeline" 3 \
    "$(grep -oE 'id="machine-[0-9]+-timeline"' "$out/machines.dom.html" | wc -l)"
check "machines: the summary's cost and utilisation" yes \
    "$(grep -q '<th class="n">Cost</th><th class="n">Utilisation</th>' "$out/machines.dom.html" && echo yes || echo no)"
check "machines: img elements" 0 "$(grep -ci '<img' "$out/machines.dom.html" || true)"
check "machines: bold elements" 0 "$(grep -c '<b>' "$out/machines.dom.html" || true)"
check "machines: the folder's name shown as text" yes \
    "$(grep -qF '&lt;img src=x onerror=alert(2)&gt;&amp;"'"'"'&lt;b&gt;' "$out/machines.dom.html" && echo yes || echo no)"

# An accessibility audit of both page kinds with axe-core, pinned, from the npm registry (Debian
# has no package of it): a copy of the page runs it and writes what it found into the document,
# which the browser dumps once the audit is done. No violation of any impact may be found.
axe_version=4.14.1
npm install --prefix "$out/axe" --no-save --no-audit --no-fund --silent "axe-core@$axe_version" >/dev/null
axe_script="$out/axe/node_modules/axe-core/axe.min.js"
for page in hostile shifts machines; do
    sed "s|</body>|<script src=\"file://$axe_script\"></script><script>axe.run(document).then(function (r) { var p = document.createElement('pre'); p.id = 'axe-result'; p.textContent = JSON.stringify(r.violations.map(function (v) { return v.id + ' (' + v.impact + ', ' + v.nodes.length + ')'; })); document.body.appendChild(p); });</script></body>|" \
        "$out/$page.html" >"$out/$page.axe.html"
    browser --allow-file-access-from-files --virtual-time-budget=20000 --dump-dom \
        "file://$out/$page.axe.html" >"$out/$page.axe.dom.html"
    check "$page: axe-core $axe_version violations" "[]" \
        "$(sed -nE 's/.*<pre id="axe-result">([^<]*)<.*/\1/p' "$out/$page.axe.dom.html" | sed 's/&quot;/"/g')"
done

echo "screenshots: $out/hostile.png $out/long.png $out/shifts.png $out/machines.png"
# The closing line in GoogleTest's words, which scripts/test.sh counts with the suites' own.
if [ "$failures" -ne 0 ]; then
    echo "[  FAILED  ] $failures tests, listed below (browser check: $failures of $checks failed)"
    exit 1
fi
echo "[  PASSED  ] $checks tests. (browser check)"
