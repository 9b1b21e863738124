// Runs independent end-to-end cases at the same time: each starts programs
// of its own and mostly waits on their time-outs, so they need not wait for
// each other. The checks are made afterwards, in the test's own thread.
#pragma once

#include <functional>
#include <future>
#include <iterator>
#include <vector>

// `cases`: an array or any range of cases.
template <typename Cases, typename Run>
auto run_concurrently(const Cases& cases, Run run) {
    using Result = decltype(run(*std::begin(cases)));
    std::vector<std::future<Result>> running;
    for (const auto& c : cases) running.push_back(std::async(std::launch::async, run, std::cref(c)));
    std::vector<Result> results;
    for (auto& r : running) results.push_back(r.get());
    return results;
}
