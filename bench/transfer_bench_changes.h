// transfer_bench --changes (see transfer_bench_changes.cpp).
#pragma once

namespace kavira {

int RunChangesBench(int latencyMs, bool quick);

}  // namespace kavira
