#!/usr/bin/env python3
"""Checks what the statistics collector accepted from `installer-cli stats-selftest` runs.

    check_stats_records.py FLAT_FILE RUNS APP_STORE DISTINCT_ID

FLAT_FILE is the collector's /flat answer. Every run must have delivered exactly its six reports,
in order, each with exactly the common properties and its own.
"""
import json
import sys

COMMON = {
    "kv_app_id": "Tessaro.downloader", "$app_id": "Tessaro.downloader", "$app_version": "1.7.9",
    "kv_dlapp_id": "Tessaro", "kv_edition": "china", "kv_app_platform": "Windows", "kv_track_type": "Client",
    "kv_sdk_version": "3.3.8", "kv_sdk": "WindowsCPP", "$os": "Windows", "$lib": "cpp", "$lib_version": "0.9",
}
VARYING = {"$os_version": str, "kv_l10n_locale": str, "kv_l10n_language": str, "kv_l10n_country": str,
           "$screen_height": int, "$screen_width": int}


def task(name, elapsed, reason=None):
    own = {"$is_first_time": True, "kv_task_name": name, "kv_task_elapsed": elapsed, "kv_task_result": "Success",
           "kvc_ab": "IN"}
    if reason:
        own["kv_reason"] = reason
    return "KvEventTask", own


RUN = [
    ("KvEventClick", {"$is_first_time": True, "kv_name": "立即安装", "kv_click_type": "Button", "kvc_ab": "IN"}),
    ("KvEventView", {"$is_first_time": True, "kv_name": "安装中", "kvc_ab": "IN"}),
    task("下载器启动", 0),
    task("大包下载完毕", 12.5),
    task("安装失败原因", 0, ":1.code=2004；2.msg=x"),
    ("AppCrashed", {"app_crashed_reason": "崩溃"}),
]


def records(path):
    out = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line == "record":
                out.append({})
            elif line:
                key, _, value = line.partition("\t")
                out[-1][key] = json.loads(value)
    return out


def main():
    flat, runs, app_store, distinct_id = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    got = records(flat)
    expected = RUN * runs
    problems = []
    if len(got) != len(expected):
        problems.append(f"{len(got)} records, expected {len(expected)}")
    for i, (record, (event, own)) in enumerate(zip(got, expected)):
        where = f"record {i} ({event})"
        top = {k: v for k, v in record.items() if not k.startswith("properties.")}
        props = {k[len("properties."):]: v for k, v in record.items() if k.startswith("properties.")}
        want_top = {"type": "track", "event": event, "distinct_id": distinct_id,
                    "lib.$lib": "cpp", "lib.$lib_method": "code", "lib.$lib_version": "0.9"}
        for key, value in want_top.items():
            if top.get(key) != value:
                problems.append(f"{where}: {key} = {top.get(key)!r}, expected {value!r}")
        if set(top) != set(want_top) | {"_track_id", "time"}:
            problems.append(f"{where}: record keys {sorted(top)}")
        want = dict(COMMON, kv_app_store=app_store, **own)
        for key, value in want.items():
            if props.get(key) != value:
                problems.append(f"{where}: {key} = {props.get(key)!r}, expected {value!r}")
        for key, kind in VARYING.items():
            if not isinstance(props.get(key), kind):
                problems.append(f"{where}: {key} = {props.get(key)!r}")
        extra = set(props) - set(want) - set(VARYING)
        if extra:
            problems.append(f"{where}: unexpected {sorted(extra)}")
    if problems:
        print("\n".join(problems))
        sys.exit(1)
    print(f"{len(got)} records as expected")


if __name__ == "__main__":
    main()
