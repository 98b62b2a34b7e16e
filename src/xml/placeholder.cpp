// replaced by the XML engine
