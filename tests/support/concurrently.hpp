// Runs independent end-to-end cases at the same time: each starts programs
// of its own and mostly waits on their time-outs, so they need not wait for
// each other. The checks are made afterwards, in the test's own thread.
#pragma once

#include <cstddef>
#include <functional>
#include <future>
#include <iterator>
#include <vector>

// `cases`: an array or any range of cases; at most `at_once` of them run at
// a time (0: all), in their order. The results are in the cases' order.
template <typename Cases, typename Run>
auto run_concurrently(const Cases& cases, Run run, std::size_t at_once = 0) {
    using Result = decltype(run(*std::begin(cases)));
    std::vector<std::future<Result>> running;
    std::vector<Result> results;
    for (const auto& c : cases) {
        if (at_once != 0 && running.size() - results.size() == at_once) results.push_back(running[results.size()].get());
        running.push_back(std::async(std::launch::async, run, std::cref(c)));
    }
    while (results.size() < running.size()) results.push_back(running[results.size()].get());
    return results;
}
