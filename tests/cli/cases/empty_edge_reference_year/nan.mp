Pop A,0,0
Pop B,0,10
Migration
Pop. ALL
100
00
100
Pop. 1
30
00
60
Pop. 2
70
00
40
