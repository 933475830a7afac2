// uAlg, the structure comparison engine: snapshots of two databases and their comparison
// into result records with ready Jet SQL commands. Plain functions over plain records; it
// knows nothing of action lists or windows and owns nothing between calls.
//
// Each comparison by path loads the working database first and the new one second, each
// through a connection of its own that is released before the load returns, and then
// compares the two in memory. Errors of the engine pass on with the engine's text, and
// nothing is returned or appended then.
#ifndef SKARNVEL_ENGINE_UALG_H_
#define SKARNVEL_ENGINE_UALG_H_

#include "engine/compare_indexes.h"
#include "engine/compare_queries.h"
#include "engine/compare_relations.h"
#include "engine/compare_tables.h"
#include "engine/name_match.h"
#include "engine/prop_value.h"
#include "engine/result_texts.h"
#include "engine/snapshot.h"

#endif  // SKARNVEL_ENGINE_UALG_H_
