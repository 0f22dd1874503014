// placeholder for a subsystem without core sources
