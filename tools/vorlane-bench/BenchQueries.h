// BenchQueries: the named queries of the benchmark, written for the demo
// dataset of telvexd (sim/datasets/demo.json). Pure functions.
#pragma once

#include <string>

// The query text of Name: "test"; "instant", 1000 status points (a query
// of about 8 KiB); "retro", 5 analog points of 1000 samples each;
// "tms-ts", a full page of 255 status points of the 600-point RTU 2.1.
// Throws std::invalid_argument for any other name.
std::string DemoQuery(const std::string& Name);
