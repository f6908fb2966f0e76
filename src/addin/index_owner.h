// Which store the sync index belongs to ("store.id" in the index folder). An index written for another
// store (a lost, emptied or replaced outlook.db) names folders and items that are not there: read as
// this store's, it would offer to delete every server calendar whose folder is "gone". Such an index is
// dropped, and the run starts afresh, pairing items by who they are.
#pragma once

#include <string>

// Discards every index file when the index was written for a store other than `store_id`, then records
// `store_id` as the owner. An index without an owner (written before owners were kept) is adopted. Does
// nothing when `store_id` is empty (the store could not tell).
void DiscardIndexesOfAnotherStore(const std::string& store_id);
