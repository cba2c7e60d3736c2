// UDataset: reads a dataset file (JSON with comments, UTF-8; format in
// docs/simulator.md) into the model. Called once by the main thread.
#pragma once

#include <string>

#include "UModel.h"

// The model of the dataset text; throws std::runtime_error naming what is
// wrong.
TModel ParseDataset(const std::string& Utf8Text);
// The model of the dataset file; throws std::runtime_error.
TModel LoadDataset(const std::string& FileName);
