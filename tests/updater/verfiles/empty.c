int verfile_marker = 1;
