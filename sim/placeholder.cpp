// Keeps the library non-empty while the folder fills.
