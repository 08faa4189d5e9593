// The shared library's own translation unit. The module keeps no start-up
// state: its folder is looked up from the loader when it is needed.
