#include "analysis/TCentroidTools.hpp"
