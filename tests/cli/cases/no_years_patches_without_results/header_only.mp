Pop 1,1,2
Pop 2,3,4
Migration
