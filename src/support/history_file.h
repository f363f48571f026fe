// Where the kernel keeps its history of jobs, for the kernel that writes it
// and the front-end that shows it: one JSON line per job, the older
// generation beside the current one.
#pragma once

constexpr const char* kHistoryDir = "/var/lib/quillmark";
constexpr const char* kHistoryFileName = "history.jsonl";
constexpr const char* kHistoryOlderName = "history.jsonl.1";
