// The colour engine is built up in this folder.
