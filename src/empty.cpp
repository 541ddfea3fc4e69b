// Keeps the product library non-empty while it has no other sources.
