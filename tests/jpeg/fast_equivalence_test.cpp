// Placeholder, filled by its own change.
