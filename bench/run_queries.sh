#!/usr/bin/env bash
# The query benchmark at the service's real data size: generates the records (once), loads them into a
# private MariaDB server (once: the loaded folder is kept), then times the query tabs' statements.
#
#   bench/run_queries.sh [--build DIR] [--random-state N] [--scale F] [--today YYYY-MM-DD] [-- OPTIONS]
#
# DIR is the build folder holding bench/bench_queries (default: build); the data is kept in
# DIR/bench-data and reused by a rerun with the same arguments. OPTIONS go to bench_queries (--runs,
# --literal-limit, --explain, --session). The server listens on $VINTREL_BENCH_ADDRESS (default 127.0.3.1), port
# 3306, and is stopped at the end.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
dbctl=$repo/server/dbctl
# Bump when the way the data is loaded changes.
readonly LOAD_RECIPE=1
readonly GENERATE_TIMEOUT=900 LOAD_TIMEOUT=1500 BENCH_TIMEOUT=3600

die() { echo "run_queries: $*" >&2; exit 1; }
usage() { sed -n '5,10p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2; exit 2; }

build=$repo/build
random_state=20240315
scale=1
today=""
bench_args=()
while [ $# -gt 0 ]; do
    case $1 in
        --build) build=${2:?}; shift 2 ;;
        --random-state) random_state=${2:?}; shift 2 ;;
        --scale) scale=${2:?}; shift 2 ;;
        --today) today=${2:?}; shift 2 ;;
        --) shift; bench_args=("$@"); break ;;
        *) usage ;;
    esac
done

build=$(readlink -m "$build")
bench=$build/bench/bench_queries
[ -x "$bench" ] || die "$bench is missing; build it with: cmake --build $build --target bench_queries"
data=$build/bench-data
tsv=$data/tsv
dbdir=$data/db
stamp=$data/loaded.txt
address=${VINTREL_BENCH_ADDRESS:-127.0.3.1}
case $data in *"'"* | *"\\"*) die "the build folder's path must not hold quotes or backslashes" ;; esac

seconds() { date +%s; }

# The generated files are reused when they were made with the same arguments.
scale=$(python3 -c 'import sys; print(float(sys.argv[1]))' "$scale")
want=$(printf 'random_state %s\nscale %s' "$random_state" "$scale")
if [ ! -f "$tsv/meta.txt" ] || [ "$(grep -E '^(random_state|scale) ' "$tsv/meta.txt")" != "$want" ] \
    || { [ -n "$today" ] && ! grep -qx "today $today" "$tsv/meta.txt"; }; then
    echo "Generating the records into $tsv ..."
    start=$(seconds)
    rm -rf "$tsv"
    timeout "$GENERATE_TIMEOUT" python3 "$here/gen_data.py" "$tsv" --random-state "$random_state" \
        --scale "$scale" ${today:+--today "$today"} || die "the generator failed or took over ${GENERATE_TIMEOUT}s"
    echo "Generated in $(($(seconds) - start)) s."
fi
today=$(sed -n 's/^today //p' "$tsv/meta.txt")

# The loaded database matches the files, the schema and this recipe, or it is loaded anew.
key=$({ cat "$tsv/meta.txt" "$repo/server/schema.sql"; echo "recipe $LOAD_RECIPE"; } | sha1sum | cut -c1-16)
if [ "$(cat "$stamp" 2>/dev/null)" != "$key" ]; then
    "$dbctl" stop "$dbdir"
    rm -rf "$dbdir" "$stamp"
fi

# Temporary tables of this server go to a folder of its own, not to the /tmp that other servers share.
mkdir -p "$data/tmp"
TMPDIR=$data/tmp "$dbctl" start "$dbdir" "$address"
trap '"$dbctl" stop "$dbdir"' EXIT
# The service's server holds its working set in memory; the private servers start small.
"$dbctl" sql "$dbdir" "SET GLOBAL innodb_buffer_pool_size = 2147483648"

if [ ! -f "$stamp" ]; then
    echo "Loading the records ..."
    start=$(seconds)
    declare -A columns=(
        [stock]="code, full_code, name"
        [title_tag]="tag_id, name, lft, rgt"
        [announcement]="ann_id, release_date, stock_code, stock_name, title_tag, file_title, file_link"
        [ann_title_tag]="ann_id, tag_id"
        [share_repurchase]="stock_code, report_date, trade_date, share_amount, unit_high, unit_low, total_paid, method, share_total_ytd"
        [disclose_interest]="stock_code, update_date, event_date, holder_name, disclose_reason, share_involved, unit_avg, share_interested, percent_interested, form_type, form_no"
        [research_report]="report_id, report_title, publish_org, publish_time, upload_time, report_type, report_level, stock_code"
    )
    sql="SET GLOBAL innodb_log_file_size = 1073741824; SET SESSION unique_checks = 0; SET SESSION foreign_key_checks = 0;"
    for table in "${!columns[@]}"; do
        sql+=" LOAD DATA INFILE '$tsv/$table.tsv' INTO TABLE $table CHARACTER SET gbk (${columns[$table]});"
    done
    tables="${!columns[*]}"
    sql+=" ANALYZE TABLE ${tables// /, };"
    timeout "$LOAD_TIMEOUT" "$dbctl" sql "$dbdir" "$sql" >/dev/null \
        || die "loading failed or took over ${LOAD_TIMEOUT}s"
    # Every row of every file arrived.
    while read -r _ table rows; do
        got=$("$dbctl" sql "$dbdir" "select count(*) from $table" | tail -n 1)
        [ "$got" = "$rows" ] || die "$table holds $got rows, $tsv/$table.tsv $rows"
    done < <(grep '^rows ' "$tsv/meta.txt")
    echo "$key" >"$stamp"
    echo "Loaded in $(($(seconds) - start)) s."
fi

"$dbctl" odbcini "$data/odbc.ini" "$address"
ODBCINI=$data/odbc.ini timeout "$BENCH_TIMEOUT" "$bench" --address "$address" --today "$today" "${bench_args[@]}"
