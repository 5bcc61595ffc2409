// Keeps a library whose folder holds only headers so far buildable.
